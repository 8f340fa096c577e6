#!/usr/bin/env bash
# lv2-hosts.sh CASE BUNDLE_PATH CHORUS_HOST MODULE
# The bundle in Debian's LV2 tools. CASE turtle: the Turtle files parse, validate and say what the module
# says; CASE render: lv2file and lv2apply render what chorus-host renders with the module, sample for sample.
set -u
case_name=$1
bundles=$2
chorus_host=$3
module=$4
stereo=http://quillfen.example/lv2/chorus/stereo
mono=http://quillfen.example/lv2/chorus/mono-in
factory=("Default" "Wobble" "Slow Step" "Light" "Gargle This" "Ear Candy" "Trans Phase" "Evil Shadow")
system_lv2=$(dirname "$(dpkg -L lv2-dev | grep -m1 '/core.lv2$')")
export LV2_PATH="$bundles:$system_lv2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

turtle() {
  local bundle=$bundles/quillfen-chorus.lv2
  for f in "$bundle"/*.ttl; do
    serdi -q "$f" >/dev/null || fail "serdi rejects $f"
  done
  lv2_validate "$bundle"/*.ttl >"$work/validate" 2>&1
  grep -q "Found 0 errors" "$work/validate" || { cat "$work/validate"; fail "lv2_validate"; }

  for uri in $stereo $mono; do
    lv2info "$uri" >"$work/info" 2>"$work/err"
    [ -s "$work/err" ] && { cat "$work/err"; fail "lv2info $uri wrote to stderr"; }
    grep -q "Class: *Chorus Plugin" "$work/info" || fail "$uri is not a chorus plug-in"
    # Saved identities: symbols in index order (controls, bypass, audio).
    local expected="mix freq delay stages shape enabled"
    if [ "$uri" = "$stereo" ]; then expected+=" in_l in_r out_l out_r"; else expected+=" in out_l out_r"; fi
    local symbols
    symbols=$(awk '/^\tPort [0-9]+:/ {port=$2} /Symbol:/ {print port, $2}' "$work/info" | sort -n | cut -d' ' -f2 | xargs)
    [ "$symbols" = "$expected" ] || fail "$uri symbols: '$symbols', expected '$expected'"
    [ "$(grep -c 'Symbol:' "$work/info")" -eq "$(echo "$symbols" | tr ' ' '\n' | sort -u | wc -l)" ] ||
      fail "$uri has a duplicate symbol"
    [ "$(grep -E '^\sPort [0-9]+:' "$work/info" | sort | uniq -d | wc -l)" -eq 0 ] || fail "$uri has a duplicate index"
    # Every control's default lies inside its range.
    awk '/Symbol:/ {s=$2} /Minimum:/ {lo=$2} /Maximum:/ {hi=$2}
         /Default:/ {if ($2 < lo || $2 > hi) {print "default of " s " outside " lo ".." hi; bad=1}}
         END {exit bad}' "$work/info" || fail "$uri: a default outside its range"
    grep -q "Designation: *http://lv2plug.in/ns/lv2core#enabled" "$work/info" || fail "$uri has no bypass"
    grep -q "lv2core#hardRTCapable" "$work/info" || fail "$uri is not declared hard real-time capable"
    for name in "${factory[@]}"; do
      grep -qx "$(printf '\t         %s' "$name")" "$work/info" || fail "$uri lacks the preset $name"
    done
  done
  lv2info $stereo >"$work/info"
  # Ranges and steps as the module states them (the module's table, read back by a real host).
  awk '/Symbol:/ {s=$2} /Minimum:/ {lo=$2} /Maximum:/ {hi=$2} /Default:/ {print s, lo, hi, $2}' "$work/info" \
    >"$work/ranges"
  diff - "$work/ranges" <<'TABLE' || fail "ranges differ"
mix 0.000000 100.000000 50.000000
freq 0.000000 5.000000 2.000000
delay 0.000000 5.000000 2.000000
stages 1.000000 4.000000 1.000000
shape 0.000000 2.000000 1.000000
enabled 0.000000 1.000000 1.000000
TABLE
  grep -q '0.0 = "ramp"' "$work/info" && grep -q '1.0 = "sine"' "$work/info" && grep -q '2.0 = "trapezoid"' "$work/info" &&
    grep -q '4.0 = "4"' "$work/info" || fail "scale points of shape and stages"
  # lv2info shows no units: read them from the triples.
  serdi -i turtle -o ntriples "$bundle/chorus.ttl" >"$work/triples" 2>/dev/null
  for unit in pc hz ms; do
    [ "$(grep -c "units#unit> <http://lv2plug.in/ns/extensions/units#$unit>" "$work/triples")" -eq 2 ] ||
      fail "unit $unit missing"
  done
}

# compare WHAT LV2_OUTPUT REFERENCE
same() {
  local result
  result=$("$chorus_host" compare "$2" "$3" 2>&1) || fail "$1: $result"
  echo "$1: $result"
}

render() {
  "$chorus_host" generate "$work/in.wav" --seconds 1.5 --quiet
  "$chorus_host" generate "$work/mono.wav" --seconds 1.5 --channels 1 --quiet
  local ref=("$chorus_host" render "$module")
  for name in "${factory[@]}"; do
    lv2file -b 512 -P "$name" -i "$work/in.wav" -o "$work/lv2.wav" $stereo >"$work/log" 2>&1 || fail "lv2file $name"
    grep -q "not found" "$work/log" && fail "lv2file did not find the preset $name"
    "${ref[@]}" "$work/in.wav" "$work/ref.wav" --block 512 --program "$name" --quiet
    same "lv2file -P '$name'" "$work/lv2.wav" "$work/ref.wav"
  done
  lv2file -b 512 -P "Gargle This" -i "$work/mono.wav" -o "$work/lv2.wav" $mono >/dev/null 2>&1
  "${ref[@]}" "$work/mono.wav" "$work/ref.wav" --block 512 --program "Gargle This" --quiet
  same "lv2file mono-in" "$work/lv2.wav" "$work/ref.wav"
  lv2file -b 512 -p freq:0.83 -p mix:35 -i "$work/in.wav" -o "$work/lv2.wav" $stereo >/dev/null 2>&1
  "${ref[@]}" "$work/in.wav" "$work/ref.wav" --block 512 --param Freq=0.83 --param Mix=35 --quiet
  same "lv2file -p" "$work/lv2.wav" "$work/ref.wav"

  # lv2apply runs one frame per call, with no features: the wrapper's own block limit.
  lv2apply -i "$work/in.wav" -o "$work/lv2.wav" -c stages 3 -c shape 0 -c delay 4.5 $stereo
  "${ref[@]}" "$work/in.wav" "$work/ref.wav" --block 1 --param Stages=3 --param Shape=0 --param Delay=4.5 --quiet
  same "lv2apply" "$work/lv2.wav" "$work/ref.wav"
  # Values no module range allows: clamped (a NaN leaves the module's value as it is).
  lv2apply -i "$work/mono.wav" -o "$work/lv2.wav" -c shape 7 -c stages 9 -c freq nan -c delay -3 -c mix 1e30 $mono
  "${ref[@]}" "$work/mono.wav" "$work/ref.wav" --block 1 --param Shape=2 --param Stages=4 --param Delay=0 \
    --param Mix=100 --quiet
  same "lv2apply bad values" "$work/lv2.wav" "$work/ref.wav"
}

"$case_name"
[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
