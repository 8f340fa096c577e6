#!/usr/bin/env bash
# cli-case.sh STATUS PATTERN... -- COMMAND [ARGUMENT...]
# Passes when COMMAND exits with STATUS and its output (stdout and stderr together) matches every
# extended regular expression PATTERN.
set -u
expected=$1
shift
patterns=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  patterns+=("$1")
  shift
done
shift
# Output goes to a file, not a pipe: a pipe held open by wineserver would slow every case down.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$@" >"$log" 2>&1
status=$?
tr -d '\r' <"$log" >"$log.clean" && mv "$log.clean" "$log"
cat "$log"
if [ "$status" -ne "$expected" ]; then
  echo "FAIL: exit status $status, expected $expected"
  exit 1
fi
for pattern in "${patterns[@]}"; do
  if ! grep -Eq -- "$pattern" "$log"; then
    echo "FAIL: no line matches: $pattern"
    exit 1
  fi
done
