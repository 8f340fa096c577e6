# shellcheck shell=bash
# Sourced: null_sink_start WORK SINK... starts a PulseAudio daemon of the test's own (its runtime folder,
# cookie and state under WORK) with a null sink of each name, the last one the default, each described by
# its name too (the Windows build lists a device by its description). null_sink_stop ends it by its PID.
# Returns 77 (skip) when PulseAudio's daemon or recorder is not installed.
null_sink_daemon=
null_sink_start() {
  local work=$1 sink modules=()
  shift
  command -v pulseaudio >/dev/null && command -v parec >/dev/null || { echo "no pulseaudio/parec"; return 77; }
  for sink in "$@"; do
    modules+=(-L "module-null-sink sink_name=$sink sink_properties=device.description=$sink")
  done
  export XDG_RUNTIME_DIR=$work/run
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  HOME=$work pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
    -L "module-native-protocol-unix auth-anonymous=1" "${modules[@]}" >"$work/daemon.log" 2>&1 &
  null_sink_daemon=$!
  for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl info >/dev/null 2>&1 || { echo "the PulseAudio daemon did not start"; cat "$work/daemon.log"; return 1; }
  pactl set-default-sink "${!#}"
}
null_sink_stop() {
  [ -n "$null_sink_daemon" ] && kill "$null_sink_daemon" 2>/dev/null && wait "$null_sink_daemon" 2>/dev/null
  null_sink_daemon=
}
