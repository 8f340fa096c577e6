#!/usr/bin/env bash
# wav-standard.sh HOST_COMMAND...
# Writes the demo signal in each output format twice and passes when sox reads every file without a
# warning, with the rate and encoding asked for, and a rerun gives the same bytes. Skipped (77) without sox.
set -u
command -v sox >/dev/null || { echo "no sox: skipped"; exit 77; }
work=wav-standard
mkdir -p "$work"
status=0
for format in f32 s24 s16; do
  for run in 1 2; do
    "$@" generate "$work/$format-$run.wav" --seconds 0.5 --rate 48000 --format "$format" >/dev/null 2>&1 || {
      echo "FAIL: generate --format $format"; status=1; }
  done
  report=$(sox --i "$work/$format-1.wav" 2>&1)
  echo "$report" | grep -E "Sample (Rate|Encoding)|Precision"
  if echo "$report" | grep -qi "warn"; then
    echo "FAIL: sox warns about the $format file"; status=1
  fi
  echo "$report" | grep -Eq "Sample Rate +: 48000" || { echo "FAIL: $format rate"; status=1; }
  case $format in
    f32) encoding="32-bit Floating Point PCM" ;;
    s24) encoding="24-bit Signed Integer PCM" ;;
    s16) encoding="16-bit Signed Integer PCM" ;;
  esac
  echo "$report" | grep -q "$encoding" || { echo "FAIL: $format is not $encoding"; status=1; }
  cmp "$work/$format-1.wav" "$work/$format-2.wav" || { echo "FAIL: $format differs on a rerun"; status=1; }
done
rm -rf "$work"
exit $status
