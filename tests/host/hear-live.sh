#!/usr/bin/env bash
# hear-live.sh MODULE CHECKER... -- HOST...
# Plays 10 s of the demo through the plug-in with "HOST play" (a program change and a ramp on the way) into
# a PulseAudio null sink started (and stopped, by its PID) here, records the sink's monitor, renders the same
# input and settings offline with "HOST render", and lets CHECKER compare the two (alignment, level,
# spectrum, length, dropouts). Then ends the server under a playing player, which must stop with a message.
# Exits 77 (skipped) when PulseAudio's daemon or recorder is not installed. CHORUS_PLAY_SERVER_LATENCY_MS,
# when set, is the sound server's buffer for the player alone (not the recorder).
set -u
module=$1
shift
checker=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  checker+=("$1")
  shift
done
shift
host=("$@")
. "$(dirname "$0")/null-sink.sh"

work=$(mktemp -d)
recorder=
cleanup() {
  [ -n "$recorder" ] && kill "$recorder" 2>/dev/null && wait "$recorder" 2>/dev/null
  null_sink_stop
  rm -rf "$work"
}
trap cleanup EXIT
null_sink_start "$work" heard || exit $?

settings=(--program 2 --param Mix=70 --at 3s program=3 --at 5s..8s Mix=70..30)
buffer=8192 # frames (0.19 s, three queued): Wine adds its own buffering, and a busy machine needs the margin
"${host[@]}" generate "$work/in.wav" --seconds 10 >"$work/host.log" 2>&1 || { cat "$work/host.log"; exit 1; }
"${host[@]}" render "$module" "$work/in.wav" "$work/render.wav" "${settings[@]}" --block $buffer \
  >>"$work/host.log" 2>&1 || { cat "$work/host.log"; exit 1; }

# A recorder of low latency keeps the sink rendering in small steps: with the default (seconds) the sink
# rewinds when the player joins, and the monitor's recording of the first 0.2 s comes out torn.
parec --latency-msec=20 -d heard.monitor --file-format=wav --format=float32le --rate=44100 --channels=2 "$work/heard.wav" &
recorder=$!
# Play only once the recorder is taking in the sink's (silent) output.
for _ in $(seq 100); do
  [ "$(stat -c %s "$work/heard.wav" 2>/dev/null || echo 0)" -gt 65536 ] && break
  sleep 0.1
done
player=()
[ -n "${CHORUS_PLAY_SERVER_LATENCY_MS:-}" ] && player=(env "PULSE_LATENCY_MSEC=$CHORUS_PLAY_SERVER_LATENCY_MS")
"${player[@]}" "${host[@]}" play "$module" "$work/in.wav" "${settings[@]}" --buffer $buffer >"$work/play.log" 2>&1
status=$?
tr -d '\r' <"$work/play.log"
sleep 0.3
kill "$recorder" && wait "$recorder" 2>/dev/null
recorder=
[ $status -eq 0 ] || exit 1
grep -q '^played 44[0-9]\{4\} frames' "$work/play.log" || { echo "play did not play the whole input"; exit 1; }
"${checker[@]}" "$work/heard.wav" "$work/render.wav" || exit 1

# The device goes away mid-play (the server ends): the player says so and stops, instead of playing on
# into nothing.
"${player[@]}" "${host[@]}" play "$module" "$work/in.wav" --loop --buffer 1024 >"$work/lost.log" 2>&1 &
player_pid=$!
for _ in $(seq 100); do
  grep -q '^playing' "$work/lost.log" && break
  sleep 0.1
done
sleep 1
null_sink_stop
for _ in $(seq 150); do
  kill -0 "$player_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$player_pid" 2>/dev/null; then
  kill "$player_pid"
  echo "the player played on for 15 s after its sound server ended"
  exit 1
fi
wait "$player_pid"
lost=$?
tr -d '\r' <"$work/lost.log" | grep -v '^ALSA'
[ $lost -eq 1 ] && grep -q 'sound device went away' "$work/lost.log" ||
  { echo "a lost sound device gave exit $lost and no message"; exit 1; }
