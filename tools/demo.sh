#!/usr/bin/env bash
# The main job: builds the 32-bit and the 64-bit plug-in and our host, renders a generated demo signal through
# all eight factory programs of the 32-bit chorus.dll under Wine, as a host would load it, and one program
# through the 64-bit one, and once through the LV2 bundle in a real LV2 host. Prints where the WAV files are.
set -eu
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tools/setup.sh demo
# Only what the demo runs: the module and the host of each Windows build (the tests build in tools/test.sh).
for preset in win32 win64; do
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset --target chorus chorus-host
done
if wine --version >/dev/null 2>&1; then
  tools/render-demo.sh build/win32 build/demo
  tools/render-demo.sh build/win64 build/demo/win64 0
else
  # Some kernels run no 32-bit programs: the 64-bit module renders everything there.
  echo "this machine cannot run 32-bit programs: rendering with the 64-bit module"
  tools/render-demo.sh build/win64 build/demo
fi

# The same chorus as an LV2 plug-in for Linux audio workstations: the bundle built natively, installed into
# ~/.lv2 and run by a real LV2 host (lv2file) over the demo with a factory preset. The optimised chorus-host
# and chorus.so beside it are the ones the README's commands use.
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target chorus chorus-host chorus_lv2
cmake --install build/native-release --component lv2
LV2_PATH="$HOME/.lv2" lv2file -b 512 -P "Wobble" -i build/demo/demo-input.wav -o build/demo/lv2-wobble.wav \
  http://quillfen.example/lv2/chorus/stereo >/dev/null
echo "LV2 bundle installed in $HOME/.lv2/quillfen-chorus.lv2 (Ardour: rescan plug-ins, then Chorus >"
echo "Quillfen Chorus; jalv http://quillfen.example/lv2/chorus/stereo); the demo through it with the preset"
echo "Wobble: build/demo/lv2-wobble.wav"
