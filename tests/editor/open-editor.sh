# Sourced by the editor's real-input tests: open_editor WAIT_TENTHS ARGS... starts
# "chorus-host.exe editor chorus.dll ARGS... --log" in the build tree under Wine, in the background, logging to
# $log, and waits (at most WAIT_TENTHS tenths of a second) for its window. Then host holds the PID and x, y
# the editor's origin on the screen; if the window never showed, it prints the log and exits 1.
# Sourcing it also moves into the build tree and makes $work, a folder removed on exit, with $log in it.
# Needs build and source set by the caller.
cd "$build"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/log.txt

open_editor() {
  local wait=$1
  shift
  "$source/tools/wine-run.sh" ./chorus-host.exe editor chorus.dll "$@" --log >"$log" 2>&1 &
  host=$!
  for _ in $(seq "$wait"); do
    grep -q '^editor [0-9]* x [0-9]* at ' "$log" && break
    sleep 0.1
  done
  local origin
  origin=$(sed -n 's/^editor [0-9]* x [0-9]* at \(-\{0,1\}[0-9]*\) \(-\{0,1\}[0-9]*\).*$/\1 \2/p' "$log")
  if [ -z "$origin" ]; then
    echo "the editor did not open"; cat "$log"; kill "$host" 2>/dev/null; exit 1
  fi
  read -r x y <<<"$origin"
  sleep 0.5
}
