#!/usr/bin/env bash
# play-live.sh MODULE -- HOST...
# "HOST play" on PulseAudio null sinks started here: --list-devices names the sinks and marks the default;
# --seconds plays exactly llround(S x rate) frames, looping or not, whatever the device block; the position
# line is on standard error (not with --quiet) and --log lines still start lines of their own; SIGINT
# drains and exits 130. Exits 77 (skipped) when PulseAudio is not installed.
set -u
module=$1
shift 2
host=("$@")
. "$(dirname "$0")/null-sink.sh"

work=$(mktemp -d)
cleanup() {
  null_sink_stop
  rm -rf "$work"
}
trap cleanup EXIT
null_sink_start "$work" chorus_spare chorus_main || exit $?
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
# Wine's console ends lines with CR LF: only a CR at the end of a line goes.
lines() { sed 's/\r$//' "$@"; }

"${host[@]}" play --list-devices >"$work/list" 2>&1
status=$?
lines "$work/list"
[ $status -eq 0 ] || fail "--list-devices exit $status"
# One device is the default: the server's default sink, or under Wine its own endpoint that follows it.
marked=$(lines "$work/list" | grep '^\* ')
case "$marked" in
'* chorus_main' | '* PulseAudio') ;;
*) fail "--list-devices marks \"$marked\", not the default alone" ;;
esac
lines "$work/list" | grep -qx '  chorus_spare' || fail "--list-devices does not list chorus_spare unmarked"
lines "$work/list" | grep -Eqx '[* ] chorus_main' || fail "--list-devices does not list chorus_main"

"${host[@]}" generate "$work/short.wav" --seconds 0.5 >"$work/gen" 2>&1 || { cat "$work/gen"; exit 1; }
position='[0-9]+:[0-9]{2}[.][0-9] / [0-9]+:[0-9]{2}[.][0-9]'
# name | frames | the last position shown | play's arguments (the 12 s demo unlooped, the 0.5 s input looped)
cases=(
  "one second|44100|0:01.0 / 0:12.0|--seconds 1"
  "fraction|61740|0:01.4 / 0:12.0|--seconds 1.4 --buffer 4096"
  "loop one second|44100|0:00.5 / 0:00.5, pass 2|$work/short.wav --loop --seconds 1 --buffer 300"
  "loop fraction|61740|0:00.4 / 0:00.5, pass 3|$work/short.wav --loop --seconds 1.4 --buffer 256 --device chorus_spare"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name frames last arguments <<<"$row"
  # shellcheck disable=SC2086 # the arguments are words
  "${host[@]}" play "$module" $arguments >"$work/out" 2>"$work/err"
  status=$?
  echo "--- $name: exit $status"
  lines "$work/out"
  tr '\r' '\n' <"$work/err" | tail -n 3
  [ $status -eq 0 ] || fail "$name: exit $status"
  lines "$work/out" | grep -q "^played $frames frames" || fail "$name: did not play $frames frames"
  updates=$(tr '\r' '\n' <"$work/err" | grep -Ec "^$position")
  [ "$updates" -ge 4 ] || fail "$name: $updates position updates on standard error, expected some a second"
  [ "$(tr '\r' '\n' <"$work/err" | grep -E "^$position" | tail -n 1 | sed 's/ *$//')" = "$last" ] ||
    fail "$name: the last position shown is not $last"
  grep -Eq "$position" "$work/out" && fail "$name: the position line is on standard output"
  case "$arguments" in
  *--device*) lines "$work/out" | grep -q "^playing .* on chorus_spare " || fail "$name: not on chorus_spare" ;;
  esac
done

# --quiet: no position line. --log: a change's line starts a line of its own, after the position line.
"${host[@]}" play "$module" --seconds 0.5 --quiet >"$work/out" 2>"$work/err"
status=$?
echo "--- quiet: exit $status"
cat "$work/err"
[ $status -eq 0 ] && grep -q '^played 22050 frames' "$work/out" || fail "quiet: exit $status or not 22050 frames"
grep -Eq "$position" "$work/err" && fail "quiet: a position line on standard error"
"${host[@]}" play "$module" --seconds 1 --at 0.6s Mix=20 --log >"$work/both" 2>&1
echo "--- log: exit $?"
lines "$work/both" | grep -q '^at 26460 setParameter 0 Mix 0.2$' || fail "log: the change's line does not start a line"

# Ctrl-C: the player in a process group of its own, as a terminal's foreground job is.
setsid "${host[@]}" play "$module" --loop >"$work/int" 2>&1 &
player=$!
# Interrupted once the sound is half a second in (start-up takes seconds in a sanitizer build).
for _ in $(seq 300); do
  tr '\r' '\n' <"$work/int" | grep -Eq '^0:0(0[.][5-9]|[1-9])' && break
  sleep 0.1
done
kill -INT -- "-$player"
for _ in $(seq 100); do
  kill -0 "$player" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$player" 2>/dev/null && { kill -KILL -- "-$player"; fail "SIGINT: still playing 10 s later"; }
wait "$player"
status=$?
echo "--- SIGINT: exit $status"
lines "$work/int" | tr '\r' '\n' | tail -n 2
[ $status -eq 130 ] || fail "SIGINT: exit $status, expected 130"
lines "$work/int" | grep -q '^played [1-9][0-9]* frames' || fail "SIGINT: no played line"
exit $failed
