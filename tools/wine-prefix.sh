#!/usr/bin/env bash
# Creates a private 32-bit Wine prefix with Arial mapped to the metric-compatible Liberation Sans.
set -eu
prefix=$1
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
# Two builds' tests may start at once: one creates, the others wait for it.
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1 || true
  wineserver -w || true
fi
