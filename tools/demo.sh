#!/usr/bin/env bash
# The main job: builds everything and runs the chorus benchmark on its built-in defaults.
set -eu
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh
for preset in native-release win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
build/native-release/bench/chorus-bench --benchmark_counters_tabular=true
