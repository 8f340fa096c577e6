#!/usr/bin/env bash
# Runs a Windows program under Wine with a private prefix for its architecture, read from the program's PE
# header: build/win32/wineprefix for i386 programs, build/win64/wineprefix for x86_64 ones
# (CHORUS_WINEPREFIX overrides the prefix; CHORUS_WINEARCH=win32|win64 names the architecture when the first
# argument is not a file, e.g. wineboot). Used as CMake's cross-compiling emulator, so CTest runs Windows
# tests through it.
set -eu
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

. "$here/tools/pe-machine.sh"

arch=${CHORUS_WINEARCH:-}
if [ $# -gt 0 ]; then
  case "$(pe_machine "$1")" in
  014c) arch=win32 ;;
  8664) arch=win64 ;;
  esac
fi
arch=${arch:-win32}
case "$arch" in
win32 | win64) ;;
*)
  echo "wine-run.sh: unknown architecture $arch" >&2
  exit 2
  ;;
esac

export WINEPREFIX=${CHORUS_WINEPREFIX:-$here/build/$arch/wineprefix}
export WINEARCH=$arch
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$here/tools/wine-prefix.sh" "$WINEPREFIX" "$arch"
fi
# Debian's wine wrapper always tries the 32-bit loader first; 64-bit programs go to the 64-bit one directly.
loader=wine
if [ "$arch" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
  loader=/usr/lib/wine/wine64
fi
exec "$loader" "$@"
