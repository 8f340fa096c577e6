#!/usr/bin/env bash
# Creates a private Wine prefix (win32 by default, or win64) with Arial mapped to the metric-compatible
# Liberation Sans. Usage: tools/wine-prefix.sh PREFIX [win32|win64]
set -eu
prefix=$1
arch=${2:-win32}
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
loader=wine
if [ "$arch" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
  loader=/usr/lib/wine/wine64
fi
# Two builds' tests may start at once: one creates, the others wait for it.
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/system.reg" ]; then
  "$loader" wineboot -i >/dev/null 2>&1 || true
  "$loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1 || true
  wineserver -w || true
fi
