#!/usr/bin/env bash
# validate-report.sh FAULTY_MODULE HOST_COMMAND...
# validate --report: the JSON and the JUnit XML report say what the text says, check by check; another
# extension is a usage error; a report that cannot be written costs no run and leaves nothing behind.
set -u
module=$1
shift
dir=$(mktemp -d ./host-report-XXXXXX)
trap 'rm -rf "$dir"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}
# One fault alone, and checks that pass, fail and skip on it.
export FAULTY_MODULE_FAULTS=overrun
for ext in json xml; do
  "$@" validate "$module" --level 1 --only -r --report "$dir/report.$ext" >"$dir/text.$ext" 2>&1
  status=$?
  tr -d '\r' <"$dir/text.$ext" >"$dir/text.$ext.clean"
  cat "$dir/text.$ext.clean"
  [ "$status" -eq 1 ] || fail "exit status $status with a failing check, expected 1"
done
python3 - "$dir" <<'PY' || exit 1
import json, re, sys
import xml.etree.ElementTree as ET
d = sys.argv[1]
def lines(ext):
    found = {}
    for line in open(f"{d}/text.{ext}.clean"):
        m = re.match(r"^(PASS|FAIL|SKIP|WARN) ([a-z-]+): ", line)
        if m:
            found[m.group(2)] = m.group(1).lower()
    return found
text = lines("json")
assert {"pass", "fail", "skip"} <= set(text.values()), f"the run should pass, fail and skip: {text}"
report = json.load(open(f"{d}/report.json"))
got = {c["name"]: c["status"] for c in report["checks"]}
assert got == text, f"JSON {got} against text {text}"
assert report["failed"] == sum(s == "fail" for s in text.values()), report
assert all(c["message"] for c in report["checks"]), "a check without its message"
text = lines("xml")
suite = ET.parse(f"{d}/report.xml").getroot().find("testsuite")
got = {}
for case in suite.findall("testcase"):
    got[case.get("name")] = "fail" if case.find("failure") is not None else "skip" if case.find("skipped") is not None else "pass"
assert got == text, f"XML {got} against text {text}"
assert int(suite.get("failures")) == sum(s == "fail" for s in text.values())
print("reports agree with the text")
PY
"$@" validate "$module" --report "$dir/report.txt" >"$dir/out" 2>&1
status=$?
grep -q -- "--report wants a file name ending in .json or .xml" "$dir/out" || fail "no message for .txt: $(cat "$dir/out")"
[ "$status" -eq 2 ] || fail "exit status $status for a .txt report, expected 2"
"$@" validate "$module" --only -r --report "$dir/missing/report.json" >"$dir/out" 2>&1
status=$?
grep -q "cannot write" "$dir/out" || fail "no message for an unwritable report: $(cat "$dir/out")"
! grep -Eq "^(PASS|FAIL|SKIP)" "$dir/out" || fail "checks ran although the report could not be written"
[ "$status" -eq 1 ] || fail "exit status $status for an unwritable report, expected 1"
[ -z "$(ls "$dir" | grep part)" ] || fail "a temporary file was left: $(ls "$dir")"
echo "usage error and unwritable report as expected"
