#!/usr/bin/env bash
# jalv-live.sh BUNDLE_PATH CHORUS_HOST MODULE
# The stereo plug-in in jalv on a private JACK server (dummy driver, 44.1 kHz), in real time: a factory
# preset picked through jalv's console, the input played in with jack-stdin and recorded with jack_rec,
# Mix turned through the console in the silence between the input's two pieces, the bypass switched off and
# on within the second. The recording must match chorus-host's render of the same, and the input exactly while
# bypassed, without a click (jalv-match.py). A run that JACK reports an xrun in (a busy machine
# misses the real-time deadline) is repeated, at most five times. Skips (77) without jalv or JACK.
set -u
bundles=$(realpath "$1")
chorus_host=$2
module=$3
here=$(dirname "$0")
for tool in jalv jackd jack_rec jack-stdin jack_wait jack_lsp sox bc; do
  command -v $tool >/dev/null || { echo "SKIP: no $tool"; exit 77; }
done
uri=http://quillfen.example/lv2/chorus/stereo
preset=http://quillfen.example/lv2/chorus/preset/1 # Wobble: Freq 4 Hz, Delay 4 ms
rate=44100
period=2048 # long periods: fewer missed deadlines on a shared machine
change_seconds=2.25
bypass_seconds=3.35
work=$(mktemp -d)
export LV2_PATH=$bundles JACK_NO_AUDIO_RESERVATION=1 JACK_DEFAULT_SERVER=chorus-lv2-test-$$
# A JACK server that was killed leaves its entry in the shared registry, which holds only 8 (then "Too many
# servers already active"). With no server running at all, every entry and semaphore there is stale.
if ! pgrep -x jackd >/dev/null && ! pgrep -x jackdbus >/dev/null; then
  rm -f /dev/shm/jack-shm-registry /dev/shm/jack_sem.*_chorus-lv2-test-* 2>/dev/null
fi
pids=()
stop_all() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT

# Two 1.5 s pieces, each followed by 1.5 s of silence: the change lands in the first silence, where its
# exact frame cannot be heard once the effect's ramps have settled. The second piece, where the bypass is
# switched, is a low tone: its own bends are small, so a click would stand out.
"$chorus_host" generate "$work/piece.wav" --seconds 1.5 --format s16 --quiet
sox -D -n -r $rate -c 2 -b 16 "$work/silence.wav" trim 0 1.5
sox -D -n -r $rate -c 2 -b 16 "$work/tone.wav" synth 1.5 sine 220 vol 0.5
sox -D "$work/piece.wav" "$work/silence.wav" "$work/tone.wav" "$work/silence.wav" "$work/fed.wav"
sox -D "$work/fed.wav" "$work/padded.wav" pad 0 1 # jack-stdin drops the last partial period

# One live run; 2 when JACK reported an xrun.
attempt() {
  rm -f "$work/ctl" "$work/rec.wav"
  jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r $rate -p $period >"$work/jackd.log" 2>&1 &
  pids+=($!)
  jack_wait -w -t 10 >/dev/null 2>&1 || { cat "$work/jackd.log"; echo "FAIL: no JACK server"; return 1; }
  mkfifo "$work/ctl"
  sleep 1000 >"$work/ctl" &
  pids+=($!)
  launched=$(date +%s.%N)
  # Freq is the preset's from the start, so that picking the preset later does not move the modulation.
  stdbuf -oL jalv -n chorus -c freq=4 $uri <"$work/ctl" >"$work/jalv.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do jack_lsp 2>/dev/null | grep -q chorus:out_r && break; sleep 0.1; done
  ready=$(date +%s.%N)
  jack_lsp | grep -q chorus:out_r || { cat "$work/jalv.log"; echo "FAIL: jalv did not start"; return 1; }
  # jalv finds a preset only after listing them.
  echo presets >"$work/ctl"
  sleep 0.3
  echo "preset $preset" >"$work/ctl"
  sleep 0.5
  echo controls >"$work/ctl"
  sleep 0.3
  grep -Eq "(^|> )delay = 4[.]0" "$work/jalv.log" ||
    { cat "$work/jalv.log"; echo "FAIL: jalv did not load the preset"; return 1; }

  seconds=$(soxi -D "$work/padded.wav")
  jack_rec -f "$work/rec.wav" -d "$(echo "$seconds + 1" | bc)" -b 32 chorus:out_l chorus:out_r >/dev/null 2>&1 &
  recorder=$!
  sleep 0.3
  fed=$(date +%s.%N)
  sox "$work/padded.wav" -t f32 - | jack-stdin -q -e float -L chorus:in_l chorus:in_r &
  feeder=$!
  sleep $change_seconds
  echo "mix = 100" >"$work/ctl"
  # Bypass off and on again within the second piece (3.0 to 4.5 s).
  sleep $(echo "$bypass_seconds - $change_seconds" | bc)
  echo "enabled = 0" >"$work/ctl"
  sleep 0.6
  echo "enabled = 1" >"$work/ctl"
  wait $feeder
  wait $recorder
  echo controls >"$work/ctl"
  sleep 0.3
  grep -Eq "(^|> )mix = 100[.]0" "$work/jalv.log" ||
    { cat "$work/jalv.log"; echo "FAIL: jalv did not take Mix"; return 1; }
  stop_all
  if grep -q XRun "$work/jackd.log"; then
    echo "JACK reported an xrun: $(grep -m1 XRun "$work/jackd.log")"
    return 2
  fi
  # Periods the plug-in ran before the input came: between the appearance of jalv's ports and its launch.
  least=$(echo "($fed - $ready) * $rate / $period - 4" | bc | cut -d. -f1)
  most=$(echo "($fed - $launched) * $rate / $period + 12" | bc | cut -d. -f1)
  [ "${least:-0}" -ge 0 ] 2>/dev/null || least=0
  /usr/bin/python3 "$here/jalv-match.py" "$work/rec.wav" "$work/fed.wav" "$chorus_host" "$module" Wobble \
    "$(echo "$change_seconds * $rate / 1" | bc)" Mix=100 $period "$least" "$most" $((3 * rate))
}

for try in 1 2 3 4 5; do
  attempt
  status=$?
  [ $status -eq 2 ] || exit $status
  echo "attempt $try had an xrun; again"
done
echo "FAIL: every attempt had an xrun"
exit 1
