#!/usr/bin/env bash
# Builds and runs every test of the given presets (default: native, win32, and the thread-sanitised
# parameter and effect stress tests).
# Installs missing packages first; Windows tests run under Wine on a private Xvfb display.
set -eu
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh
. tools/display.sh
chorus_display_start
stop() {
  WINEPREFIX="$PWD/build/win32/wineprefix" wineserver -k 2>/dev/null || true
  chorus_display_stop
}
trap stop EXIT

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win32 native-tsan)
status=0
passed=0
failed=0
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  if [ "$preset" = native-tsan ]; then
    cmake --build --preset "$preset" --target dsp_thread_tests plugin_thread_tests
  else
    cmake --build --preset "$preset"
  fi
  log=$(mktemp)
  ctest --preset "$preset" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  # "NN% tests passed, F tests failed out of T"
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$summary" ]; then status=1; continue; fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  passed=$((passed + t - f))
  failed=$((failed + f))
done
echo
echo "$passed passed, $failed failed"
exit $status
