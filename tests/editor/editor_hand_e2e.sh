#!/usr/bin/env bash
# chorus-host's editor under real X input, as a hand uses it: the wheel, a click without a drag, typing
# into the number fields (no number, Escape, Tab, a Stages value between steps), one step of the Stages
# knob, PageDown for the next program, and the bank saved when the window closes. CHORUS_ZOOM (100, 150 or
# 200) opens the editor at that zoom: every position and distance is the 100 % one scaled, and every
# parameter must come out as at 100 %.
# Arguments: the build tree and the source tree. Needs DISPLAY (Xvfb with a window manager) and xdotool.
set -u
build=$1
source=$2

. "$source/tests/editor/open-editor.sh"
bank=$work/bank.qcp
zoom=${CHORUS_ZOOM:-100}
open_editor 300 --seconds 25 --save "$bank" --zoom "$zoom"
grep -q "^editor $((238 * zoom / 100)) x $((226 * zoom / 100)) at " "$log" || { echo "FAIL: not at $zoom %"; cat "$log"; exit 1; }

status=0
fail() { echo "FAIL: $*"; status=1; }
mark() { wc -l <"$log"; }
# The values of "host 0 INDEX" (parameter automated) lines after line $2.
sent() { tail -n +"$(($2 + 1))" "$log" | tr -d '\r' | sed -n "s/^host 0 $1 0 \([-0-9.e]*\) automate .*/\1/p"; }
near() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; exit !(d < 0.001 && d > -0.001) }'; }
scaled() { echo $(($1 * zoom / 100)); }
at() { xdotool mousemove $((x + $(scaled "$1"))) $((y + $(scaled "$2"))); sleep 0.15; }
press() { at "$1" "$2"; xdotool mousedown 1; sleep 0.15; xdotool mouseup 1; sleep 0.3; }
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }

# 1. One wheel notch up over the Freq knob: Freq 0.4 -> 0.5 (the knob's wheel step), and the host hears it.
m=$(mark); at 40 182; xdotool click 4; sleep 0.5
values=$(sent 1 "$m")
[ "$(wc -w <<<"$values")" -ge 1 ] && near "$(tail -n 1 <<<"$values")" 0.5 || fail "wheel over Freq sent: $values"

# 2. A click on the Freq knob without a drag changes nothing (linear knobs).
m=$(mark); press 38 176
[ -z "$(sent 1 "$m")" ] || fail "a click on the knob sent: $(sent 1 "$m")"

# 3. "abc" and Return in the Delay field: no value is sent; 4. Escape puts the old text back.
m=$(mark); press 89 152; xdotool type --delay 60 abc; keys Return
[ -z "$(sent 2 "$m")" ] || fail "abc in Delay sent: $(sent 2 "$m")"
m=$(mark); press 89 152; xdotool type --delay 60 7; keys Escape
[ -z "$(sent 2 "$m")" ] || fail "Escape in Delay sent: $(sent 2 "$m")"

# 5. Tab moves from Freq to Delay: both typed values arrive.
m=$(mark); press 39 152; xdotool type --delay 60 1.5; keys Tab; xdotool type --delay 60 3; keys Return
[ -n "$(sent 1 "$m")" ] || fail "Freq typed before Tab was not sent"
[ -n "$(sent 2 "$m")" ] || fail "Delay typed after Tab was not sent"

# 6. 2.5 typed in Stages reaches the host as the step the effect uses (3 of 1..4: 2/3), nothing else.
m=$(mark); press 139 152; xdotool type --delay 60 2.5; keys Return
values=$(sent 3 "$m")
[ -n "$values" ] || fail "Stages 2.5 was not sent"
for v in $values; do near "$v" 0.666667 || fail "Stages 2.5 sent $v"; done

# 7. The Stages knob dragged up by one step (a third of its 200-pixel travel) in small moves: the one new
# value is sent once (the stepped parameter's pair of notifications), however many moves it took.
m=$(mark); at 140 190; xdotool mousedown 1; sleep 0.15
for d in $(seq 4 4 80); do xdotool mousemove $((x + $(scaled 140))) $((y + $(scaled $((190 - d))))); sleep 0.04; done
sleep 0.15; xdotool mouseup 1; sleep 0.4
values=$(sent 3 "$m")
[ "$(sort -u <<<"$values" | wc -l)" -eq 1 ] && [ "$(wc -l <<<"$values")" -le 2 ] && near "$(head -n 1 <<<"$values")" 1 ||
  fail "one Stages step sent: $(tr '\n' ' ' <<<"$values")"

# 8. A click on the Shape group's trapezoid (from sine) selects it, and the host hears it.
m=$(mark); press 145 128
values=$(sent 4 "$m")
[ -n "$values" ] && near "$(tail -n 1 <<<"$values")" 1 || fail "the Shape button sent: $(tr '\n' ' ' <<<"$values")"

# 9. PageDown selects the next program and the title follows.
press 120 218; keys Next; sleep 0.3
name=$(xdotool search --name 'chorus-host: chorus.dll' getwindowname 2>/dev/null | head -n 1)
grep -q 'program 1: ' <<<"$name" || fail "after PageDown the title is: $name"

wait "$host"
tr -d '\r' <"$log" >"$log.clean"
grep -q "^bank saved to $bank$" "$log.clean" || fail "no bank saved"
[ "$(head -c 4 "$bank" 2>/dev/null)" = QCPR ] || fail "the saved bank is not a preset file"
# Program 0 was stored when PageDown left it: its Stages (bytes 12-15 of the chunk, after the file's
# 16-byte header) holds the 4 stages set by hand, 1.0 as a big-endian float.
[ "$(od -An -tx1 -j 28 -N 4 "$bank" 2>/dev/null | tr -d ' ')" = 3f800000 ] || fail "program 0 in the bank lost its edits"
echo "title after PageDown: $name"
[ $status -eq 0 ] && echo "all hand checks passed" || cat "$log.clean"
exit $status
