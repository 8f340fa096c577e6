#!/usr/bin/env bash
# special-outputs.sh MODULE -- HOST_COMMAND...
# What chorus-host writes to when OUT is not a plain new file: standard output (to a file and to a pipe),
# standard input, a symbolic link, a folder, an unwritable --save, and natively a FIFO with a reader, a
# character device (as root, one made with mknod here: the real /dev/null is only written by an ordinary
# user, who cannot replace it) and /dev/null and /dev/stdout as another user; on Windows the NUL device.
# Every rendered file is read back and compared with a plain render.
set -u
module=$1
shift 2
host=("$@")
windows=0
case "$module" in *.dll) windows=1 ;; esac
work=$PWD/host-special-outputs
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
module=../$module
status=0
fail() {
  echo "FAIL: $*"
  status=1
}
run() { "${host[@]}" "$@" 2>>log.txt; }
same() { run compare "$1" ref.wav --tolerance 0 >/dev/null || fail "$1 differs from a plain render"; }
render() { run render "$module" "$@" --program 2 --quiet; }

run generate in.wav --seconds 0.5 --quiet || fail "generate"
render in.wav ref.wav || fail "plain render"

render in.wav - >stdout.wav || fail "render to - redirected to a file"
cmp -s stdout.wav ref.wav || fail "- to a file: not the bytes of a plain render (sizes not fixed up?)"
render in.wav - | cat >piped.wav
same piped.wav
if command -v sox >/dev/null; then
  stat=$(render in.wav - | sox -t wav - -n stat 2>&1)
  grep -Eq "Length \(seconds\): +0.500000" <<<"$stat" || fail "sox reads a wrong length from the pipe: $stat"
  grep -qi warn <<<"$stat" && fail "sox warns about the piped stream: $stat"
else
  echo "no sox: the piped stream checked by chorus-host only"
fi
render - stdin.wav <in.wav || fail "render from - redirected from a file"
same stdin.wav
cat in.wav | render - stdin-pipe.wav || fail "render from a pipe"
same stdin-pipe.wav

echo old >kept.wav
ln -s kept.wav link.wav
render in.wav link.wav || fail "render through a link"
[ -L link.wav ] || fail "the link was replaced by a file"
same kept.wav
echo old >bank.qcp
ln -s bank.qcp bank-link.qcp
render in.wav saved.wav --save bank-link.qcp || fail "save through a link"
[ -L bank-link.qcp ] || fail "the preset link was replaced"
[ "$(head -c 4 bank.qcp)" = QCPR ] || fail "the preset did not reach the link's target"

mkdir folder
render in.wav folder
[ $? -eq 1 ] && grep -q "cannot write folder: it is a folder" log.txt || fail "a folder as output"
render in.wav never.wav --save no-such-folder/bank.qcp
[ $? -eq 1 ] && grep -q "cannot write no-such-folder/bank.qcp" log.txt || fail "an unwritable --save"
render in.wav never.wav --save-program folder
[ $? -eq 1 ] || fail "a folder as --save-program"
[ -e never.wav ] && fail "a refused save path still left the render behind"

if [ $windows -eq 1 ]; then
  "${host[@]}" render "$module" in.wav NUL --program 2 >nul-log.txt 2>&1 || fail "render to NUL: $(cat nul-log.txt)"
  grep -q "rendered 22050 frames at 44100 Hz from 2 channels to NUL" nul-log.txt || fail "render to NUL said: $(cat nul-log.txt)"
else
  mkfifo fifo
  timeout 60 cat fifo >from-fifo.wav & # a build that renames over the FIFO never opens it
  reader=$!
  render in.wav fifo || fail "render to a FIFO"
  wait $reader
  [ -p fifo ] || fail "the FIFO was replaced"
  same from-fifo.wav
  if [ "$(id -u)" -eq 0 ]; then
    mknod null c 1 3
    render in.wav null || fail "render to a character device"
    [ -c null ] || fail "the character device was replaced"
  else
    echo "not root: no character device of our own, the ordinary user's run below covers /dev/null"
  fi
  # An ordinary user: root runs the command as nobody in a folder of nobody's.
  as=()
  if [ "$(id -u)" -eq 0 ]; then
    if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
      as=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    else
      echo "SKIP: no setpriv or no user nobody: /dev/null and /dev/stdout as another user not tried"
    fi
  fi
  if [ "$(id -u)" -ne 0 ] || [ ${#as[@]} -gt 0 ]; then
    user=$(mktemp -d)
    chmod 755 "$user"
    cp in.wav ref.wav "$user/"
    chown -R nobody "$user" 2>/dev/null
    absolute=$(cd .. && pwd)/${module#../}
    (cd "$user" && "${as[@]}" "${host[@]}" render "$absolute" in.wav /dev/null --program 2 --quiet) ||
      fail "render to /dev/null as another user"
    (cd "$user" && "${as[@]}" "${host[@]}" render "$absolute" in.wav /dev/stdout --program 2 --quiet | cat >"$user/out.wav") ||
      fail "render to /dev/stdout as another user"
    run compare "$user/out.wav" ref.wav --tolerance 0 >/dev/null || fail "/dev/stdout as another user differs"
    rm -rf "$user"
  fi
  [ -c /dev/null ] || fail "/dev/null is no longer a character device"
fi

leftovers=$(find . -name '*.part-*')
[ -z "$leftovers" ] || fail "temporary files left: $leftovers"
cat log.txt
cd .. && [ $status -eq 0 ] && rm -rf "$work"
[ $status -eq 0 ] && echo "all special outputs passed"
exit $status
