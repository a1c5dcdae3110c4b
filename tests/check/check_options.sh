#!/usr/bin/env bash
# varnholt-check's options and exit codes on the built default campaign and a broken copy of it: --json
# gives one JSON document (checked by Python's parser), --preview writes an 800 x 600 PNG file for a
# battle of a clean campaign and nothing for a bad battle number or a campaign with problems, and a bad
# command line exits 2. Arguments: the checker, the campaign folder, the Python interpreter.
set -euo pipefail
checker=$1
campaign=$2
python=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "check_options: $*"
  exit 1
}

# Runs the checker, keeping its output in $work/out and $work/err; sets $status.
run() {
  status=0
  "$checker" "$@" >"$work/out" 2>"$work/err" || status=$?
}

expect_status() {
  [ "$status" -eq "$1" ] || fail "varnholt-check ${*:2} exited with $status, not $1: $(cat "$work/err")"
}

# --json on the clean campaign: a document with no findings and the summary.
run --json "$campaign"
expect_status 0 --json
"$python" - "$work/out" <<'EOF' || fail "--json on the default campaign: $(cat "$work/out")"
import json, sys
report = json.load(open(sys.argv[1]))
assert report["findings"] == [], report["findings"]
assert report["summary"]["problems"] == 0 and report["summary"]["warnings"] == 0, report["summary"]
EOF

# A broken copy: a name too long, a missing picture.
cp -r "$campaign" "$work/broken"
sed -i 's/^\*1 Aldric /*1 AldricTheVeryBoldKnight /' "$work/broken/chardb.txt"
rm "$work/broken/cur.bmp"
run --json "$work/broken"
expect_status 1 --json broken
"$python" - "$work/out" <<'EOF' || fail "--json on a broken campaign: $(cat "$work/out")"
import json, sys
report = json.load(open(sys.argv[1]))
findings = report["findings"]
name = [f for f in findings if f["file"] == "chardb.txt" and f["field"] == "name"]
assert name and name[0]["line"] == 6 and name[0]["severity"] == "error", findings
assert name[0]["path"].endswith("/broken/chardb.txt"), name[0]
picture = [f for f in findings if f["file"] == "cur.bmp"]
assert picture and picture[0]["line"] is None and picture[0]["field"] is None, findings
assert all(f["severity"] in ("error", "warning") for f in findings)
assert report["summary"]["problems"] == sum(f["severity"] == "error" for f in findings)
EOF
# The same findings as text, one line each, then the summary.
run "$work/broken"
expect_status 1 broken
grep -q "chardb.txt:6: record 1: name 'AldricTheVeryBoldKnight' is longer than 15 characters" "$work/out" ||
  fail "text report: $(cat "$work/out")"

# --preview: a clean campaign gets its picture.
run --preview 3 "$work/battle3.png" "$campaign"
expect_status 0 --preview 3
grep -q 'battle 3 on map 3' "$work/out" || fail "--preview says: $(cat "$work/out")"
"$python" - "$work/battle3.png" <<'EOF' || fail "the preview is not an 800 x 600 PNG file"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", data[:16]
assert struct.unpack(">II", data[16:24]) == (800, 600)
assert data[-8:-4] == b"IEND"
EOF
# A battle the campaign does not have, a broken campaign: a message, exit 1, no file.
for n in 0 6 99; do
  run --preview "$n" "$work/none.png" "$campaign"
  expect_status 1 --preview "$n"
  grep -q "there is no battle $n" "$work/err" || fail "--preview $n says: $(cat "$work/err")"
done
run --preview 1 "$work/none.png" "$work/broken"
expect_status 1 --preview broken
grep -q 'no preview of battle 1: the campaign has problems' "$work/err" || fail "broken --preview: $(cat "$work/err")"
[ ! -e "$work/none.png" ] || fail "a refused preview left a file"
# A file that cannot be written.
run --preview 1 "$work/no/such/folder.png" "$campaign"
expect_status 1 --preview into a missing folder
grep -q 'no preview of battle 1: ' "$work/err" || fail "unwritable --preview: $(cat "$work/err")"

# Bad command lines exit 2.
for args in "--bogus" "--preview" "--preview 1" "--preview one x.png" "--json --preview 1 x.png" \
  "$campaign $campaign" "$campaign/no-such-folder"; do
  # shellcheck disable=SC2086
  run $args
  expect_status 2 $args
done
[ ! -e x.png ] || fail "a bad command line wrote x.png"

run --help
expect_status 0 --help
for word in --json --preview "Exit status"; do
  grep -q -- "$word" "$work/out" || fail "--help does not mention $word"
done
echo "check_options: ok"
