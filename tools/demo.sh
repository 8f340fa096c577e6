#!/usr/bin/env bash
# The main job: builds the plug-in and our host, then renders a generated demo signal through all eight factory
# programs of chorus.dll under Wine, as a host would load it. Prints where the WAV files are.
set -eu
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
tools/render-demo.sh build/win32 build/demo
