#!/usr/bin/env bash
# check-module-exports.sh MODULE
# The module exports exactly one name, "main"; a Windows module imports only system DLLs.
set -eu
module=$1
case "$module" in
*.dll)
  . "$(dirname "${BASH_SOURCE[0]}")/../../tools/pe-machine.sh"
  case "$(pe_machine "$module")" in
  014c) objdump=i686-w64-mingw32-objdump ;;
  8664) objdump=x86_64-w64-mingw32-objdump ;;
  *)
    echo "FAIL: $module is not a 32-bit or 64-bit x86 module"
    exit 1
    ;;
  esac
  dump=$($objdump -p "$module")
  exports=$(printf '%s\n' "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^\t\[/ {print $NF} on && !/^\t\[/ {on=0}')
  imports=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {print toupper($3)}' | sort -u)
  echo "exports: $exports"
  echo "imports: $(echo $imports)"
  allowed="KERNEL32.DLL MSVCRT.DLL USER32.DLL GDI32.DLL OLE32.DLL VERSION.DLL SHELL32.DLL ADVAPI32.DLL COMCTL32.DLL UUID.DLL OLEAUT32.DLL WINMM.DLL"
  for dll in $imports; do
    case " $allowed " in
    *" $dll "*) ;;
    *)
      echo "FAIL: imports $dll"
      exit 1
      ;;
    esac
  done
  ;;
*)
  exports=$(nm -D --defined-only "$module" | awk '$2 ~ /^[TtDdBbRrVvWwi]$/ {print $3}' | grep -v '^_init$\|^_fini$' || true)
  echo "exports: $exports"
  ;;
esac
if [ "$exports" != "main" ]; then
  echo "FAIL: expected exactly one export, main"
  exit 1
fi
