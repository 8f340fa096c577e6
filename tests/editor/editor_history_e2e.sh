#!/usr/bin/env bash
# chorus-host's editor window under real X input: a wheel turn, a knob drag and a program picked from the
# Program menu, as three steps; Ctrl+Z, Ctrl+Z, Ctrl+Y, Ctrl+Z must leave the wheel turn alone, the drag
# undone whole: the title, the strip under the editor and the parameters the host reads at the end say so.
# Arguments: the build tree and the source tree. Needs DISPLAY (Xvfb with a window manager) and xdotool.
set -u
build=$1
source=$2

. "$source/tests/editor/open-editor.sh"
open_editor 300 --seconds 14

status=0
fail() { echo "FAIL: $*"; status=1; }
at() { xdotool mousemove $((x + $1)) $((y + $2)); sleep 0.15; }
keys() { xdotool key --delay 80 "$@"; sleep 0.4; }
title() { xdotool search --name 'chorus-host: chorus.dll' getwindowname 2>/dev/null | head -n 1; }

# B: one wheel notch up over Freq (0.4 -> 0.5).
at 40 182; xdotool click 4; sleep 0.5
# A: the Delay knob dragged up in small moves: many values sent, one gesture.
at 90 190; xdotool mousedown 1; sleep 0.15
for d in $(seq 4 4 60); do xdotool mousemove $((x + 90)) $((y + 190 - d)); sleep 0.04; done
sleep 0.15; xdotool mouseup 1; sleep 0.4
dragged=$(tr -d '\r' <"$log" | sed -n 's/^host 0 2 0 \([-0-9.e]*\) automate .*/\1/p')
[ "$(wc -l <<<"$dragged")" -ge 3 ] || fail "the drag sent too few Delay values: $dragged"
# C: program 2 from the Program menu (Alt+P, then its digit).
keys alt+p; keys 2; sleep 0.3
grep -q 'program 2: ' <<<"$(title)" || fail "the Program menu did not select program 2: $(title)"
# Undo C and A, redo A, undo A again: B alone is left.
at 120 218
keys ctrl+z
grep -q 'program 0: ' <<<"$(title)" || fail "Ctrl+Z did not go back to program 0: $(title)"
keys ctrl+z ctrl+y ctrl+z

wait "$host"
tr -d '\r' <"$log" >"$log.clean"
grep -q '^strip program 0: Default$' "$log.clean" || fail "the strip does not name program 0"
grep -q '^param 1 Freq 0.500000 ' "$log.clean" || fail "the wheel turn did not stay"
grep -q '^param 2 Delay 0.400000 ' "$log.clean" || fail "the drag was not undone as one step"
[ $status -eq 0 ] && echo "all history checks passed" || cat "$log.clean"
exit $status
