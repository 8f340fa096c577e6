#!/usr/bin/env bash
# ardour-session.sh BUNDLE_PATH CHORUS_HOST MODULE
# Ardour 7, headless on its dummy back-end: for the stereo plug-in on a stereo track and the mono-in one on
# a mono track, a session with a factory preset loaded (and on the stereo track Mix turned after it), the
# test input as the take, saved, closed, reopened (the same control values) and exported by
# ardour7-export (which opens the saved session again). The export must match chorus-host's render
# (ardour-match.py). Skips (77) without Ardour.
set -u
bundles=$(realpath "$1")
chorus_host=$2
module=$3
here=$(dirname "$0")
for tool in ardour7-lua ardour7-export sox; do
  command -v $tool >/dev/null || { echo "SKIP: no $tool"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Only this bundle on the path (fast start); the dummy back-end shown.
export LV2_PATH=$bundles XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/ardour7"
echo '<Ardour><Config><Option name="hide-dummy-backend" value="0"/></Config></Ardour>' \
  >"$XDG_CONFIG_HOME/ardour7/config"
failures=0

# ardour LOG PROGRAM ARGS...: one Ardour program, two minutes at most, its output in LOG. Ardour 7.3 itself can
# hang as an export starts (its export start holds the engine's process lock while it waits for the butler, which
# needs that lock for the buffer sizing queued at every session load) or crash on a heap error as an export ends, with
# other plug-ins too. So LOG ends with how the program ended, and a hung one's Ardour frames, to tell those from ours.
ardour() {
  local log=$1 limit=120 pid rc
  shift
  : >"$log"
  "$@" >>"$log" 2>&1 & # appending, so that the notes below are not overwritten
  pid=$!
  for ((tenths = 0; tenths < limit * 10; tenths++)); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 $pid 2>/dev/null; then
    echo "$1 hung for $limit s; its threads:" >>"$log"
    command -v gdb >/dev/null &&
      gdb -batch -p $pid -ex 'thread apply all bt' 2>/dev/null | grep -E '^Thread|^#[0-9]+ .* in ARDOUR::' >>"$log"
    kill -KILL $pid
    wait $pid
    return 124
  fi
  wait $pid
  rc=$?
  [ $rc -gt 128 ] && echo "$1 ended by signal $((rc - 128))" >>"$log"
  return $rc
}

# session KIND CHANNELS URI PRESET PERIOD [PORT VALUE RENDER_OPTION]
session() {
  local kind=$1 channels=$2 uri=$3 preset=$4 period=$5 port=${6:-} value=${7:-} option=${8:-}
  local dir=$work/$kind
  local turn=""
  [ -n "$port" ] && turn="ARDOUR.LuaAPI.set_processor_param(p, $port, $value)"
  cat >"$work/make.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
Session = create_session("$dir", "chorus", 44100)
assert(Session, "no session")
local t = Session:new_audio_track($channels, 2, nil, 1, "Chorus", ARDOUR.PresentationInfo.max_order,
                                  ARDOUR.TrackMode.Normal, true):front()
local p = ARDOUR.LuaAPI.new_plugin(Session, "$uri", ARDOUR.PluginType.LV2, "")
assert(not p:isnil(), "no plug-in $uri")
assert(t:add_processor_by_index(p, 0, nil, true) == 0)
local pl = p:to_insert():plugin(0)
assert(pl:load_preset(pl:preset_by_label("$preset")), "no preset $preset")
$turn
t:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
Session:maybe_enable_record(false)
Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(3000000)
Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(500000)
t:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
local values = "VALUES"
for i = 0, 5 do values = values .. " " .. ARDOUR.LuaAPI.get_processor_param(p, i, true) end
print(values)
Session:save_state("", false, false, false, false, false)
close_session()
LUA
  cat >"$work/reopen.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
Session = load_session("$dir", "chorus")
assert(Session, "cannot reopen")
local p = Session:route_by_name("Chorus"):nth_plugin(0)
local values = "VALUES"
for i = 0, 5 do values = values .. " " .. ARDOUR.LuaAPI.get_processor_param(p, i, true) end
print(values)
close_session()
LUA
  ardour "$work/make.log" ardour7-lua "$work/make.lua"
  local saved reopened
  saved=$(grep -m1 '^VALUES' "$work/make.log")
  [ -n "$saved" ] || { tail -20 "$work/make.log"; echo "FAIL: $kind session not made"; failures=$((failures + 1)); return; }
  ardour "$work/reopen.log" ardour7-lua "$work/reopen.lua"
  reopened=$(grep -m1 '^VALUES' "$work/reopen.log")
  echo "$kind: saved    $saved"
  echo "$kind: reopened $reopened"
  [ "$saved" = "$reopened" ] || { tail -20 "$work/reopen.log"; echo "FAIL: $kind control values changed on reopening"; failures=$((failures + 1)); }

  # The placeholder take becomes the test input, frame for frame.
  local audio=$dir/interchange/$kind/audiofiles frames
  frames=$(ls "$audio"/Take1_Chorus-1*.wav | head -1 | xargs soxi -s)
  "$chorus_host" generate "$work/gen.wav" --seconds 4 --channels "$channels" --format s16 --quiet
  sox "$work/gen.wav" "$work/take-$kind.wav" trim 0 "${frames}s"
  if [ "$channels" = 2 ]; then
    sox "$work/take-$kind.wav" -e floating-point -b 32 "$audio/Take1_Chorus-1%L.wav" remix 1
    sox "$work/take-$kind.wav" -e floating-point -b 32 "$audio/Take1_Chorus-1%R.wav" remix 2
  else
    sox "$work/take-$kind.wav" -e floating-point -b 32 "$audio/Take1_Chorus-1.wav"
  fi
  ardour "$work/export.log" ardour7-export -b float -o "$work/export-$kind.wav" "$dir" chorus ||
    { tail -40 "$work/export.log"; echo "FAIL: $kind export"; failures=$((failures + 1)); return; }
  local options=(--program "$preset")
  [ -n "$option" ] && options+=(--param "$option")
  /usr/bin/python3 "$here/ardour-match.py" "$work/export-$kind.wav" "$work/take-$kind.wav" "$chorus_host" \
    "$module" "$period" "${options[@]}" || {
    # Kept for a closer look: a mismatch seen once in about fifty runs under load is not reproduced at will.
    local keep
    keep=$(mktemp -d "${TMPDIR:-/tmp}/chorus-ardour-$kind-XXXXXX")
    cp "$work/export-$kind.wav" "$work/take-$kind.wav" "$keep"/
    echo "export and take kept in $keep"
    failures=$((failures + 1))
  }
}

# Wobble: 4 Hz, a period of 11025 frames; Gargle This: 5 Hz, 8820 frames.
session stereo 2 http://quillfen.example/lv2/chorus/stereo Wobble 11025 0 80 Mix=80
session mono 1 http://quillfen.example/lv2/chorus/mono-in "Gargle This" 8820
[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
