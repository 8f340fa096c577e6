#!/usr/bin/env bash
# Builds and runs every test of the given presets (default: native, the 32-bit and the 64-bit Windows builds,
# and the thread-sanitised signal path, effect and live host).
# Installs missing packages first; Windows tests run under Wine on a private Xvfb display.
set -eu
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh
. tools/display.sh
chorus_display_start
stop() {
  for arch in win32 win64; do
    WINEPREFIX="$PWD/build/$arch/wineprefix" wineserver -k 2>/dev/null || true
  done
  chorus_display_stop
}
trap stop EXIT

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win32 win64 native-tsan)
status=0
passed=0
failed=0
not_run=""
started=$(date +%s)
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  if [ "$preset" = native ]; then
    # The optimised host and module the README's commands use: readme_commands runs those commands.
    cmake --preset native-release >/dev/null
    cmake --build --preset native-release --target chorus-host chorus
  fi
  if [ "$preset" = native-tsan ]; then
    cmake --build --preset "$preset" --target dsp_thread_tests plugin_thread_tests host_live_thread_tests
  else
    cmake --build --preset "$preset"
  fi
  # Some kernels run no 32-bit programs at all (Wine's 32-bit loader fails with "Exec format error"): the
  # 32-bit build is still compiled, and the summary says its tests were not run.
  if [ "$preset" = win32 ] && ! wine --version >/dev/null 2>&1; then
    echo "this machine cannot run 32-bit programs: win32 built, its tests not run"
    not_run="win32 tests not run: no 32-bit programs on this machine"
    continue
  fi
  if [ "$preset" = win32 ] || [ "$preset" = win64 ]; then
    # One Wine session for the whole run: a server kept alive saves about 6 s of start-up per test program.
    # The session's services start here, away from CTest's output pipes, which they would otherwise hold
    # open for as long as the server lives (CTest then waits for ever).
    tools/wine-prefix.sh "$PWD/build/$preset/wineprefix" "$preset"
    WINEPREFIX="$PWD/build/$preset/wineprefix" wineserver -p
    CHORUS_WINEARCH=$preset tools/wine-run.sh wineboot </dev/null >/dev/null 2>&1 || true
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
echo "took $(($(date +%s) - started)) s"
[ -z "$not_run" ] || echo "$not_run"
echo "$passed passed, $failed failed"
exit $status
