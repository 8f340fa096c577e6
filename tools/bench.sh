#!/usr/bin/env bash
# The chorus signal path's cost side by side, measured in one run so that the ratios hold on a busy machine:
#   - the native engine (bench/chorus-bench, -O2) with the SSE2, the AVX2 and the AVX-512 kernel (the
#     Windows modules have no AVX-512 kernel),
#   - the Windows modules' own replacing entry under Wine (chorus-host bench), 32-bit and 64-bit:
#     chorus-sse2.dll, held to SSE2, and chorus.dll, which takes AVX2 (with FMA) where the processor has it,
#   - sox's chorus with four voices on 60 s of stereo, less sox's plain copy of the same file, per voice.
#   - an LV2 table: lv2bench (one host for all) over the same silence and block size for our stereo LV2
#     plug-in (1 and 4 stages, each shape) and the chorus plug-ins Debian packages, at their defaults.
# All in ns per frame per stage (per voice for sox), from processor time, not wall time: on a shared machine
# wall time mostly measures the other processes; the LV2 table is ns per frame of the whole plug-in.
# Usage: tools/bench.sh [--lv2-only] [SECONDS]  (default 60)
set -eu
cd "$(dirname "${BASH_SOURCE[0]}")/.."
lv2_only=0
if [ "${1:-}" = --lv2-only ]; then
  lv2_only=1
  shift
fi
seconds=${1:-60}
tools/setup.sh

# lv2bench runs a plug-in at its ports' defaults: each setting of ours is a copy of the bundle whose Turtle
# gives other defaults (the same binary), alone on LV2_PATH. Best of three runs, in ns per frame.
lv2_table() {
  cmake --preset native >/dev/null
  cmake --build --preset native --target chorus_lv2 >/dev/null
  local frames=$((seconds * 48000)) block=512 dir
  dir=$(mktemp -d)
  lv2_ns() { # LV2_PATH URI
    local best=""
    for _ in 1 2 3; do
      t=$(LV2_PATH="$1" lv2bench -b $block -n $frames "$2" 2>/dev/null | awk -v u="$2" '$2 == u {print $1}')
      [ -n "$t" ] || { echo "-"; return; }
      best=$(python3 -c "print(min(x for x in ($t, ${best:-$t})))")
    done
    python3 -c "print(f'{$best * 1e9 / $frames:.2f}')"
  }
  local shapes=(ramp sine trapezoid) rows=() ours4=() ours1=()
  for stages in 1 4; do
    for shape in 0 1 2; do
      local copy=$dir/s$stages-$shape/quillfen-chorus.lv2
      mkdir -p "$(dirname "$copy")"
      cp -r build/native/lv2-bundles/quillfen-chorus.lv2 "$copy"
      python3 - "$copy/chorus.ttl" $stages $shape <<'PY'
import re, sys
path, stages, shape = sys.argv[1], sys.argv[2], sys.argv[3]
text = open(path).read()
for symbol, value in (("stages", stages), ("shape", shape)):
    text = re.sub(r'(lv2:symbol "%s" ;\n\s*lv2:name "[^"]*" ;\n\s*lv2:default )[^ ;]+' % symbol, r"\g<1>%s.0" % value, text)
open(path, "w").write(text)
PY
      ns=$(lv2_ns "$(dirname "$copy")" http://quillfen.example/lv2/chorus/stereo)
      rows+=("Quillfen Chorus, $stages stage$([ $stages = 1 ] || echo s), ${shapes[$shape]}|$ns")
      [ $stages = 4 ] && ours4+=("$ns") || ours1+=("$ns")
    done
  done
  local peers=("Calf Multi Chorus|http://calf.sourceforge.net/plugins/MultiChorus"
               "GxChorus-Stereo|http://guitarix.sourceforge.net/plugins/gx_chorus_stereo#_chorus_stereo"
               "MDA ThruZero|http://drobilla.net/plugins/mda/ThruZero"
               "fomp CS Chorus 1|http://drobilla.net/plugins/fomp/cs_chorus1"
               "SWH Multivoice Chorus|http://plugin.org.uk/swh-plugins/multivoiceChorus")
  for peer in "${peers[@]}"; do
    rows+=("${peer%%|*} (defaults)|$(lv2_ns /usr/lib/lv2 "${peer#*|}")")
  done
  rm -rf "$dir"
  python3 - "${rows[@]}" <<'PY'
import sys
rows = [r.split("|") for r in sys.argv[1:]]
value = {name: (float(ns) if ns != "-" else None) for name, ns in rows}
calf = value.get("Calf Multi Chorus (defaults)")
print(f"LV2, lv2bench: 48 kHz, 512-frame blocks of silence, ns per frame of the whole plug-in; x = / Calf Multi Chorus")
print(f"{'plug-in':<40} {'ns/frame':>9} {'x':>6}")
for name, ns in rows:
    v = value[name]
    print(f"{name:<40} {ns:>9} {(f'{v / calf:.2f}' if v and calf else '-'):>6}")
ours4 = [v for n, v in value.items() if n.startswith("Quillfen") and "4 stages" in n and v]
ours1 = [v for n, v in value.items() if n.startswith("Quillfen") and "1 stage," in n and v]
peers = [v for n, v in value.items() if not n.startswith("Quillfen") and v]
if ours4 and calf:
    print(f"goal 4 stages <= Calf Multi Chorus: {'met' if max(ours4) <= calf else 'NOT met'} ({max(ours4):.2f} vs {calf:.2f})")
if ours1 and peers:
    print(f"goal 1 stage <= cheapest peer: {'met' if max(ours1) <= min(peers) else 'NOT met'} ({max(ours1):.2f} vs {min(peers):.2f})")
PY
}
if [ $lv2_only = 1 ]; then
  lv2_table
  exit 0
fi
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
    native[(shapes[int(f["shape"])], int(f["stages"]), route, int(f["isa"]))] = b["per frame*stage"] * 1e9
def module(path):
    rows = {}
    for line in open(path):
        parts = line.split()
        if len(parts) == 4 and parts[0] in shapes:
            rows[(parts[0], int(parts[1]), parts[2])] = float(parts[3])
    return rows
dlls = {name: module(f"{work}/{name}.txt") for name in ("win32-sse2", "win32", "win64-sse2", "win64")}
print("ns per frame per stage; native = engine at -O2; win32/win64 = that chorus.dll's replacing entry under Wine")
print("(the -sse2 module is held to SSE2; the other takes AVX2 with FMA where the processor has it); x = dll / native")
fmt = lambda v: f"{v:.2f}" if v is not None else "-"
ratio = lambda a, b: f"{a / b:.2f}" if a and b else "-"
head = f"{'shape':<10} {'stages':>6} {'route':<8} {'native sse2':>11} {'win32 sse2':>10} {'x':>5} " \
       f"{'win64 sse2':>10} {'x':>5} {'native avx2':>11} {'win32':>7} {'x':>5} {'win64':>7} {'x':>5} " \
       f"{'native avx512':>13}"
if sox:
    head += f" {'sox/voice':>9} {'sox/native sse2':>15}"
print(head)
for shape in shapes:
    for stages in (1, 4):
        for route in ("stereo", "mono-in"):
            k = (shape, stages, route)
            ns, na, nz = native.get(k + (0,)), native.get(k + (1,)), native.get(k + (2,))
            d = {name: rows.get(k) for name, rows in dlls.items()}
            row = f"{shape:<10} {stages:>6} {route:<8} {fmt(ns):>11} " \
                  f"{fmt(d['win32-sse2']):>10} {ratio(d['win32-sse2'], ns):>5} " \
                  f"{fmt(d['win64-sse2']):>10} {ratio(d['win64-sse2'], ns):>5} {fmt(na):>11} " \
                  f"{fmt(d['win32']):>7} {ratio(d['win32'], na):>5} {fmt(d['win64']):>7} {ratio(d['win64'], na):>5} " \
                  f"{fmt(nz):>13}"
            if sox:
                row += f" {float(sox):>9.2f} {ratio(float(sox), ns):>15}"
            print(row)
EOF

echo >&2 "LV2 plug-ins..."
lv2_table
