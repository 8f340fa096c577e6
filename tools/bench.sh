#!/usr/bin/env bash
# The chorus signal path's cost side by side, measured in one run so that the ratios hold on a busy machine:
#   - the native engine (bench/chorus-bench, -O2) with the SSE2 and the AVX2 kernel,
#   - the Windows modules' own replacing entry under Wine (chorus-host bench), 32-bit and 64-bit:
#     chorus-sse2.dll, held to SSE2, and chorus.dll, which takes AVX2 where the processor has it,
#   - sox's chorus with four voices on 60 s of stereo, less sox's plain copy of the same file, per voice.
# All in ns per frame per stage (per voice for sox), from processor time, not wall time: on a shared machine
# wall time mostly measures the other processes. Usage: tools/bench.sh [SECONDS]  (default 60)
set -eu
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-60}
tools/setup.sh
. tools/display.sh
chorus_display_start
work=$(mktemp -d)
stop() {
  for arch in win32 win64; do
    WINEPREFIX="$PWD/build/$arch/wineprefix" wineserver -k 2>/dev/null || true
  done
  chorus_display_stop
  rm -rf "$work"
}
trap stop EXIT

echo "building..." >&2
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target chorus-bench >/dev/null
for arch in win32 win64; do
  cmake --preset $arch >/dev/null
  cmake --build --preset $arch --target chorus chorus_sse2 chorus-host >/dev/null
done

echo "native engine..." >&2
build/native-release/bench/chorus-bench --benchmark_format=json --benchmark_min_time=0.5 \
  >"$work/native.json" 2>/dev/null

for arch in win32 win64; do
  touch "$work/$arch-sse2.txt" "$work/$arch.txt"
  # Some kernels run no 32-bit programs at all: that build's columns then stay empty.
  if ! tools/wine-run.sh build/$arch/chorus-host.exe info build/$arch/chorus.dll >/dev/null 2>&1; then
    echo "$arch Windows programs do not run here: its dll columns stay empty" >&2
    continue
  fi
  echo "$arch chorus.dll under Wine..." >&2
  WINEPREFIX="$PWD/build/$arch/wineprefix" wineserver -p 2>/dev/null || true
  tools/wine-run.sh build/$arch/chorus-host.exe bench build/$arch/chorus-sse2.dll --seconds "$seconds" \
    >"$work/$arch-sse2.txt"
  tools/wine-run.sh build/$arch/chorus-host.exe bench build/$arch/chorus.dll --seconds "$seconds" \
    >"$work/$arch.txt"
done

sox_voice=""
if command -v sox >/dev/null; then
  echo "sox chorus..." >&2
  sox -n -r 44100 -c 2 -e floating-point -b 32 "$work/in.wav" synth "$seconds" pinknoise vol 0.5
  best() { # least processor time (user + system) of three runs of the command, in seconds
    python3 - "$@" <<'EOF'
import os, subprocess, sys
times = []
for _ in range(3):
    before = os.times()
    subprocess.run(sys.argv[1:], check=True)
    after = os.times()
    times.append(after.children_user + after.children_system - before.children_user - before.children_system)
print(min(times))
EOF
  }
  copy=$(best sox -V1 "$work/in.wav" -n)
  chorus=$(best sox -V1 "$work/in.wav" -n chorus 0.5 0.9 50 0.4 0.25 2 -t 60 0.32 0.4 1.3 -s \
    40 0.3 0.3 1.5 -t 55 0.35 0.35 1.9 -s)
  sox_voice=$(python3 -c "print(($chorus - $copy) * 1e9 / ($seconds * 44100 * 4))")
fi

python3 - "$work" "$sox_voice" <<'EOF'
import json, sys
work, sox = sys.argv[1], sys.argv[2]
shapes = ["ramp", "sine", "trapezoid"]
native = {}
for b in json.load(open(f"{work}/native.json"))["benchmarks"]:
    if "per frame*stage" not in b:
        continue
    f = dict(p.split(":") for p in b["name"].split("/")[1:])
    route = "stereo" if f["inputs"] == "2" else "mono-in"
    native[(shapes[int(f["shape"])], int(f["stages"]), route, int(f["avx2"]))] = b["per frame*stage"] * 1e9
def module(path):
    rows = {}
    for line in open(path):
        parts = line.split()
        if len(parts) == 4 and parts[0] in shapes:
            rows[(parts[0], int(parts[1]), parts[2])] = float(parts[3])
    return rows
dlls = {name: module(f"{work}/{name}.txt") for name in ("win32-sse2", "win32", "win64-sse2", "win64")}
print("ns per frame per stage; native = engine at -O2; win32/win64 = that chorus.dll's replacing entry under Wine")
print("(the -sse2 module is held to SSE2; the other takes AVX2 where the processor has it); x = dll / native")
fmt = lambda v: f"{v:.2f}" if v is not None else "-"
ratio = lambda a, b: f"{a / b:.2f}" if a and b else "-"
head = f"{'shape':<10} {'stages':>6} {'route':<8} {'native sse2':>11} {'win32 sse2':>10} {'x':>5} " \
       f"{'win64 sse2':>10} {'x':>5} {'native avx2':>11} {'win32':>7} {'x':>5} {'win64':>7} {'x':>5}"
if sox:
    head += f" {'sox/voice':>9} {'sox/native sse2':>15}"
print(head)
for shape in shapes:
    for stages in (1, 4):
        for route in ("stereo", "mono-in"):
            k = (shape, stages, route)
            ns, na = native.get(k + (0,)), native.get(k + (1,))
            d = {name: rows.get(k) for name, rows in dlls.items()}
            row = f"{shape:<10} {stages:>6} {route:<8} {fmt(ns):>11} " \
                  f"{fmt(d['win32-sse2']):>10} {ratio(d['win32-sse2'], ns):>5} " \
                  f"{fmt(d['win64-sse2']):>10} {ratio(d['win64-sse2'], ns):>5} {fmt(na):>11} " \
                  f"{fmt(d['win32']):>7} {ratio(d['win32'], na):>5} {fmt(d['win64']):>7} {ratio(d['win64'], na):>5}"
            if sox:
                row += f" {float(sox):>9.2f} {ratio(float(sox), ns):>15}"
            print(row)
EOF
