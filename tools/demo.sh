#!/usr/bin/env bash
# The main job: builds the 32-bit and the 64-bit plug-in and our host, renders a generated demo signal through
# all eight factory programs of the 32-bit chorus.dll under Wine, as a host would load it, and one program
# through the 64-bit one. Prints where the WAV files are.
set -eu
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh
for preset in win32 win64; do
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset
done
if wine --version >/dev/null 2>&1; then
  tools/render-demo.sh build/win32 build/demo
  tools/render-demo.sh build/win64 build/demo/win64 0
else
  # Some kernels run no 32-bit programs: the 64-bit module renders everything there.
  echo "this machine cannot run 32-bit programs: rendering with the 64-bit module"
  tools/render-demo.sh build/win64 build/demo
fi
