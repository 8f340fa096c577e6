#!/usr/bin/env bash
# editors-agree.sh BUILD OTHER_BUILD SOURCE
# The editor of this Windows build and of the other one (32-bit and 64-bit) look the same pixel for pixel:
# screenshots of the factory program and of a program with typed values, taken by each build's chorus-host.
# Skipped (77) when the other build is missing or its programs cannot run on this machine. Needs DISPLAY.
set -eu
build=$1
other=$2
source=$3
run="$source/tools/wine-run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/log.txt

if [ ! -f "$other/chorus-host.exe" ] || [ ! -f "$other/chorus.dll" ]; then
  echo "no Windows build in $other: skipped"
  exit 77
fi
if ! (cd "$other" && "$run" ./chorus-host.exe generate "$work/probe.wav" --seconds 0.1) >"$log" 2>&1; then
  echo "the programs of $other do not run on this machine: skipped"
  exit 77
fi

views=("factory|" "typed|--program 6 --param Freq=3,5 --param Delay=1,25 --param Shape=1")
status=0
for view in "${views[@]}"; do
  name=${view%%|*}
  read -r -a args <<<"${view#*|}"
  for tree in "$build" "$other"; do
    tag=$([ "$tree" = "$build" ] && echo this || echo other)
    (cd "$tree" && "$run" ./chorus-host.exe editor chorus.dll "${args[@]}" --screenshot "$work/$name-$tag.png") \
      >>"$log" 2>&1
  done
  # AE: the number of pixels that differ at all.
  differing=$(/usr/bin/compare -metric AE "$work/$name-this.png" "$work/$name-other.png" null: 2>&1 || true)
  echo "$name: $differing pixels differ"
  [ "$differing" = 0 ] || status=1
done
[ $status -eq 0 ] || cat "$log"
exit $status
