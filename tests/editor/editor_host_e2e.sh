#!/usr/bin/env bash
# chorus-host's editor command driven by real X input: a drag on the Freq knob must change parameter 1 as
# the host sees it, and a click on the title must open the about picture with the version line.
# Arguments: the build tree and the source tree. Needs DISPLAY (Xvfb with a window manager) and xdotool.
set -eu
build=$1
source=$2
run="$source/tools/wine-run.sh"

. "$source/tests/editor/open-editor.sh"
open_editor 150 --seconds 8 --screenshot "$work/about.png"

# The Freq knob (centre 40, 182): press at its lower left, sweep over the top to its right.
xdotool mousemove $((x + 24)) $((y + 192))
sleep 0.2
xdotool mousedown 1
sleep 0.1
for p in "22 180" "26 170" "33 165" "40 163" "48 165" "55 171" "58 178"; do
  read -r px py <<<"$p"
  xdotool mousemove $((x + px)) $((y + py))
  sleep 0.05
done
sleep 0.1
xdotool mouseup 1
sleep 0.4
# The title opens the about picture. The press is held as a person holds it: controls read the live button
# state when the press message arrives.
xdotool mousemove $((x + 30)) $((y + 14))
sleep 0.1
xdotool mousedown 1
sleep 0.15
xdotool mouseup 1
wait "$host"

status=0
for line in '^host 43 1 ' '^host 0 1 ' '^host 44 1 '; do
  if ! grep -q "$line" "$log"; then
    echo "missing host request: $line"; status=1
  fi
done
freq=$(sed -n 's/^param 1 Freq \([0-9.]*\) .*$/\1/p' "$log")
echo "Freq after the drag: $freq (normalised; it opened at 0.400000)"
if [ -z "$freq" ] || [ "$freq" = "0.400000" ]; then
  echo "the drag did not reach parameter 1"; status=1
fi
if ! "$run" ./editor_about_check.exe "$work/about.png"; then
  echo "the picture after the title click is not the about picture"; status=1
fi
[ $status -eq 0 ] || cat "$log"
exit $status
