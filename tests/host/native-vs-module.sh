#!/usr/bin/env bash
# native-vs-module.sh NATIVE_BUILD_DIR
# Run from the win32 build tree: renders a generated signal through chorus.dll under Wine and through the
# native chorus.so, and passes when every sample agrees within 1e-6. Skipped (77) without a native build.
set -euo pipefail
native=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_run=$here/tools/wine-run.sh
if [ ! -x "$native/chorus-host" ] || [ ! -f "$native/chorus.so" ]; then
  echo "no native build in $native: skipped"
  exit 77
fi
work=native-vs-module
mkdir -p "$work"
"$wine_run" ./chorus-host.exe generate "$work/demo.wav" --seconds 3 >"$work/log.txt" 2>&1
"$wine_run" ./chorus-host.exe generate "$work/mono.wav" --seconds 2 --channels 1 >>"$work/log.txt" 2>&1
"$wine_run" ./chorus-host.exe generate "$work/demo48.wav" --seconds 2 --rate 48000 >>"$work/log.txt" 2>&1
worst=0
check() {
  local name=$1
  shift
  "$wine_run" ./chorus-host.exe render chorus.dll "$@" "$work/$name-dll.wav" >>"$work/log.txt" 2>&1
  local input=$1
  shift
  "$native/chorus-host" render "$native/chorus.so" "$input" "$work/$name-so.wav" "$@" >>"$work/log.txt" 2>&1
  "$native/chorus-host" compare "$work/$name-dll.wav" "$work/$name-so.wav" --tolerance 1e-6 | tee -a "$work/log.txt"
}
# The input path goes first so that check() can reuse the arguments for both hosts.
for program in 0 1 2 3 4 5 6 7; do
  check "program$program" "$work/demo.wav" --program "$program"
done
check mono "$work/mono.wav" --program 5
check add "$work/demo.wav" --program 4 --mode add --block 333
check typed "$work/demo48.wav" --param Freq=4,25 --param Stages=3
check automated "$work/demo.wav" --at 0.5s program=Wobble --at 1s..2s Mix=0..100 --format s16
