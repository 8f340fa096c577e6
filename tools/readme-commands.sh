#!/usr/bin/env bash
# Runs the command lines README.md shows, as written, in a scratch folder laid out like the repository's root.
#
#   tools/readme-commands.sh [--bin DIR] [--wine] [README]
#
# Every indented block of the README follows a marker line that says what it needs:
#   <!-- readme-commands: run -->      run here (each block in one shell, so a block's variables carry over)
#   <!-- readme-commands: sound -->    needs a sound device
#   <!-- readme-commands: display -->  needs a display and Wine (and a sound device to --play)
#   <!-- readme-commands: wine -->     needs Wine and a Windows build (run with --wine)
#   <!-- readme-commands: setup -->    installs packages, builds, or writes outside the repository
#   <!-- readme-commands: text -->     not commands (a file's contents)
# A block without a marker, a failing command, a user command on the sanitizer build (build/native/) or a
# Windows program started without tools/wine-run.sh fails the run. DIR (default build/native-release) holds
# the optimised chorus-host and chorus.so; without them the run is skipped (exit 77). --wine runs the wine blocks
# too, with the repository's build/win32 and build/win64.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$root/build/native-release
readme=$root/README.md
wine=0
while [ $# -gt 0 ]; do
  case "$1" in
  --bin)
    bin=$2
    shift 2
    ;;
  --wine)
    wine=1
    shift
    ;;
  *)
    readme=$1
    shift
    ;;
  esac
done

if [ ! -x "$bin/chorus-host" ] || [ ! -f "$bin/chorus.so" ]; then
  echo "skipped: $bin has no chorus-host and chorus.so; build them with tools/demo.sh, or" \
    "cmake --preset native-release && cmake --build --preset native-release --target chorus chorus-host"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
blocks=$work/blocks
mkdir -p "$blocks" "$work/root/build/demo"

# Cut the README into numbered blocks: blocks/N.kind holds the kind, blocks/N.sh the lines, blocks/N.line the
# README line of the block's first command.
awk -v dir="$blocks" '
  function close_block() { if (inBlock) { close(dir "/" n ".sh"); inBlock = 0 } }
  /^<!-- readme-commands: [a-z]+ -->$/ {
    close_block(); kind = $3; markerLine = NR; next
  }
  /^    / {
    if (!inBlock) {
      n++; inBlock = 1
      if (markerLine != NR - 1) { kind = "unmarked" }
      print kind > (dir "/" n ".kind"); close(dir "/" n ".kind")
      print NR > (dir "/" n ".line"); close(dir "/" n ".line")
    }
    sub(/^    /, ""); print > (dir "/" n ".sh"); next
  }
  { close_block() }
' "$readme"

# The scratch root: the optimised build where the README expects it, the scripts, and the demo's input.
ln -s "$bin" "$work/root/build/native-release"
ln -s "$root/tools" "$work/root/tools"
for arch in win32 win64; do
  [ ! -d "$root/build/$arch" ] || ln -s "$root/build/$arch" "$work/root/build/$arch"
done
"$bin/chorus-host" generate "$work/root/build/demo/demo-input.wav" --seconds 12 --quiet || exit 1

status=0
ran=0
listed=0
count=$(find "$blocks" -name '*.kind' | wc -l)
for n in $(seq "$count"); do
  kind=$(cat "$blocks/$n.kind")
  line=$(cat "$blocks/$n.line")
  script=$blocks/$n.sh
  if [ "$kind" != text ]; then
    # Lint every command block: users run the optimised build, and Windows programs run under wine-run.sh.
    if grep -n 'build/native/' "$script" >/dev/null; then
      echo "FAIL README.md:$line: a command uses build/native/ (the sanitizer test build), not build/native-release/"
      status=1
    fi
    if grep -nE '(^|[;&|] *)build/win(32|64)/[^ ]*\.exe' "$script" >/dev/null; then
      echo "FAIL README.md:$line: a Windows program is started without tools/wine-run.sh"
      status=1
    fi
  fi
  [ "$kind" != wine ] || [ "$wine" = 0 ] || kind=run
  case "$kind" in
  run)
    echo "== README.md:$line"
    if (cd "$work/root" && bash -e -x "$script") >"$work/out" 2>&1; then
      sed 's/^/   /' "$work/out" | grep '^   + ' || true
      ran=$((ran + $(grep -cv '^\s*\(#.*\)\?$' "$script")))
    else
      sed 's/^/   /' "$work/out"
      echo "FAIL README.md:$line: the block above stopped at its last command"
      status=1
    fi
    ;;
  sound | display | wine | setup)
    case "$kind" in
    sound) why="needs a sound device" ;;
    display) why="needs a display and Wine (with --play, a sound device too)" ;;
    wine) why="needs Wine and a Windows build" ;;
    setup) why="installs, builds or writes outside the repository: run by hand" ;;
    esac
    while IFS= read -r command; do
      echo "not run ($why): $command"
      listed=$((listed + 1))
    done <"$script"
    ;;
  text) ;;
  *)
    echo "FAIL README.md:$line: an indented block without a '<!-- readme-commands: KIND -->' line before it"
    status=1
    ;;
  esac
done

echo "$ran command lines run, $listed listed as not run here"
[ "$ran" -gt 0 ] || status=1
exit $status
