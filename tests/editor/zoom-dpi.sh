#!/usr/bin/env bash
# zoom-dpi.sh BUILD SOURCE
# The zoom tests on a display of 192 dpi: a Wine prefix of its own whose LogPixels is 192, where an editor
# opened without a zoom request must draw at 200 %. Needs DISPLAY.
set -eu
build=$1
source=$2
prefix=$build/wineprefix-192dpi
loader=wine
[ -x /usr/lib/wine/wine64 ] && loader=/usr/lib/wine/wine64
if [ ! -f "$prefix/.logpixels-192" ]; then
  "$source/tools/wine-prefix.sh" "$prefix" win64
  WINEPREFIX=$prefix WINEDEBUG=-all "$loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d 192 /f >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
  touch "$prefix/.logpixels-192"
fi
status=0
CHORUS_WINEPREFIX=$prefix CHORUS_EXPECT_ZOOM=200 "$source/tools/wine-run.sh" "$build/editor_zoom_test.exe" || status=$?
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
exit $status
