#!/usr/bin/env bash
# The chorus signal path's cost side by side, measured in one run so that the ratios hold on a busy machine:
#   - the native engine (bench/chorus-bench, -O2) with the SSE2 and the AVX2 kernel,
#   - the Windows module's own replacing entry under Wine (chorus-host bench): chorus-sse2.dll, held to
#     SSE2, and chorus.dll, which takes AVX2 where the processor has it,
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
  WINEPREFIX="$PWD/build/win32/wineprefix" wineserver -k 2>/dev/null || true
  chorus_display_stop
  rm -rf "$work"
}
trap stop EXIT

echo "building..." >&2
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target chorus-bench >/dev/null
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target chorus chorus_sse2 chorus-host >/dev/null

echo "native engine..." >&2
build/native-release/bench/chorus-bench --benchmark_format=json --benchmark_min_time=0.5 \
  >"$work/native.json" 2>/dev/null

echo "chorus.dll under Wine..." >&2
export WINEPREFIX="$PWD/build/win32/wineprefix"
touch "$work/dll-sse2.txt" "$work/dll.txt"
# 32-bit Windows programs need a kernel that runs 32-bit code; some virtual machines have none.
if tools/wine-run.sh build/win32/chorus-host.exe info build/win32/chorus.dll >/dev/null 2>&1; then
  wineserver -p 2>/dev/null || true
  tools/wine-run.sh build/win32/chorus-host.exe bench build/win32/chorus-sse2.dll --seconds "$seconds" \
    >"$work/dll-sse2.txt"
  tools/wine-run.sh build/win32/chorus-host.exe bench build/win32/chorus.dll --seconds "$seconds" \
    >"$work/dll.txt"
else
  echo "32-bit Windows programs do not run here (Wine cannot start them): the dll columns stay empty" >&2
fi

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
dll_sse2, dll = module(f"{work}/dll-sse2.txt"), module(f"{work}/dll.txt")
print("ns per frame per stage; native = engine at -O2, dll = chorus.dll's replacing entry under Wine")
print("(chorus.dll takes AVX2 where the processor has it); ratio = dll / native")
head = f"{'shape':<10} {'stages':>6} {'route':<8} {'native sse2':>11} {'dll sse2':>9} {'ratio':>6} " \
       f"{'native avx2':>11} {'dll':>9} {'ratio':>6}"
if sox:
    head += f" {'sox/voice':>9} {'sox/native sse2':>15}"
print(head)
for shape in shapes:
    for stages in (1, 4):
        for route in ("stereo", "mono-in"):
            k = (shape, stages, route)
            ns, na = native.get(k + (0,)), native.get(k + (1,))
            ds, da = dll_sse2.get(k), dll.get(k)
            fmt = lambda v: f"{v:.2f}" if v is not None else "-"
            ratio = lambda a, b: f"{a / b:.2f}" if a and b else "-"
            row = f"{shape:<10} {stages:>6} {route:<8} {fmt(ns):>11} {fmt(ds):>9} {ratio(ds, ns):>6} " \
                  f"{fmt(na):>11} {fmt(da):>9} {ratio(da, na):>6}"
            if sox:
                row += f" {float(sox):>9.2f} {ratio(float(sox), ns):>15}"
            print(row)
EOF
