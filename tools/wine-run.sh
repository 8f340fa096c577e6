#!/usr/bin/env bash
# Runs a 32-bit Windows program under Wine with the build tree's private prefix.
# Used as CMake's cross-compiling emulator, so CTest runs Windows tests through it.
set -eu
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${CHORUS_WINEPREFIX:-$here/build/win32/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$here/tools/wine-prefix.sh" "$WINEPREFIX"
fi
exec wine "$@"
