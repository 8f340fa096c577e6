#!/usr/bin/env bash
# Renders the built-in demo signal through the factory programs of chorus.dll (all eight, or the one given),
# loaded by chorus-host.exe under Wine. Usage: tools/render-demo.sh [WINDOWS_BUILD_DIR [OUTPUT_DIR [PROGRAM]]]
# Needs a built win32 or win64 tree. Writes demo-input.wav, one WAV per program and the editor's screenshot.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
out=${2:-$build/demo}
only=${3:-}
mkdir -p "$out"
out=$(cd "$out" && pwd)
wine_run=$root/tools/wine-run.sh
. "$root/tools/display.sh"
chorus_display_start
trap chorus_display_stop EXIT

cd "$build"
host() { "$wine_run" ./chorus-host.exe "$@"; }
log=$out/render-log.txt
: >"$log"
host generate "$out/demo-input.wav" --seconds 12 >>"$log" 2>&1
# Program names as the plug-in reports them, for the file names.
host info chorus.dll >"$out/info.txt" 2>&1
grep '^program ' "$out/info.txt" | tr -d '\r' | while IFS= read -r line; do
  number=${line#program }
  number=${number%%:*}
  name=${line#*: }
  if [ -n "$only" ] && [ "$number" != "$only" ]; then continue; fi
  slug=$(printf '%s' "$name" | tr 'A-Z ' 'a-z-' | tr -cd 'a-z0-9-')
  file="$out/program-$number-$slug.wav"
  start=$(date +%s.%N)
  host render chorus.dll "$out/demo-input.wav" "$file" --program "$number" >>"$log" 2>&1
  end=$(date +%s.%N)
  printf '%-13s -> %s (%s s)\n' "$name" "$file" "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }')"
done
host editor chorus.dll --screenshot "$out/editor.png" >>"$log" 2>&1
echo "editor screenshot -> $out/editor.png"
echo "demo signal and renders are in $out"
