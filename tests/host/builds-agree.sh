#!/usr/bin/env bash
# builds-agree.sh NATIVE_BUILD_DIR OTHER_WINDOWS_BUILD_DIR
# Run from a Windows build tree: renders generated signals with several programs, typed parameters, the adding
# mode with odd blocks, 48 kHz, mono and automation over time through this tree's chorus.dll under Wine, then through the native
# chorus.so and the other Windows build's chorus.dll, and passes when every render holds the same sample bytes.
# A reference that is not built, or whose programs this machine cannot run, is left out; skipped (77) when no
# reference is left.
set -euo pipefail
native=$1
other=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_run=$here/tools/wine-run.sh
same=$here/tests/host/same-samples.py
work=builds-agree
rm -rf "$work"
mkdir -p "$work"
log=$work/log.txt
: >"$log"

"$wine_run" ./chorus-host.exe generate "$work/demo.wav" --seconds 2 >>"$log" 2>&1
"$wine_run" ./chorus-host.exe generate "$work/mono.wav" --seconds 2 --channels 1 >>"$log" 2>&1
"$wine_run" ./chorus-host.exe generate "$work/demo48.wav" --seconds 2 --rate 48000 >>"$log" 2>&1

# name input arguments...: every case, rendered by each build.
cases=()
for program in 0 1 2 3 4 5 6 7; do
  cases+=("program$program demo.wav --program $program")
done
cases+=("mono mono.wav --program 5" "add demo.wav --program 4 --mode add --block 333"
        "typed demo48.wav --param Freq=4,25 --param Stages=3 --param Mix=37 --block 71"
        "automated demo.wav --at 0.5s program=Wobble --at 1s..2s Mix=0..100 --format s16")

# render_all TAG HOST... MODULE: renders every case into $work/<case>-<TAG>.wav.
render_all() {
  local tag=$1 module=${!#} name input args
  local host=("${@:2:$#-2}")
  for c in "${cases[@]}"; do
    read -r name input args <<<"$c"
    # shellcheck disable=SC2086 # the case's options are words
    "${host[@]}" render "$module" "$work/$input" "$work/$name-$tag.wav" $args >>"$log" 2>&1 || return 1
  done
}

render_all this "$wine_run" ./chorus-host.exe chorus.dll

compared=0
failed=0
check_against() {
  local tag=$1 name
  for c in "${cases[@]}"; do
    name=${c%% *}
    if ! "$same" "$work/$name-this.wav" "$work/$name-$tag.wav"; then
      failed=1
    fi
  done
  compared=$((compared + 1))
}

if [ -x "$native/chorus-host" ] && [ -f "$native/chorus.so" ]; then
  render_all native "$native/chorus-host" "$native/chorus.so"
  echo "native build: compared"
  check_against native
else
  echo "no native build in $native: left out"
fi

if [ -f "$other/chorus-host.exe" ] && [ -f "$other/chorus.dll" ]; then
  # The other build's programs run from its own tree, as its tests do; the inputs stay this tree's.
  if (cd "$other" && "$wine_run" ./chorus-host.exe generate "$OLDPWD/$work/probe.wav" --seconds 0.1) >>"$log" 2>&1; then
    render_all other "$wine_run" "$other/chorus-host.exe" "$other/chorus.dll"
    echo "$other: compared"
    check_against other
  else
    echo "$other: its programs do not run on this machine: left out"
  fi
else
  echo "no Windows build in $other: left out"
fi

[ "$compared" -gt 0 ] || exit 77
exit "$failed"
