#!/usr/bin/env bash
# Times varnholt-replay on long key scripts: for each length, a script of that many lines (one per
# frame, arrow keys and read-level lines mixed) against a one-line script that runs the same number of
# frames. The difference is what looking keys up in a long script costs.
#   bench/replay/long_key_scripts.sh [BUILD_DIR] [LINES...]     (default: build 15000 60000 240000)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
shift || true
lengths=("$@")
[ ${#lengths[@]} -gt 0 ] || lengths=(15000 60000 240000)
replay=${REPLAY:-$build/bin/varnholt-replay}
data=$build/share/varnholt/campaign
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One line per frame: Left and Right by turns on frame lines, every third frame's second read Up.
make_script() {
  awk -v n="$1" 'BEGIN {
    print "# " n " lines, one per frame"
    for (i = 1; i <= n; i++) {
      if (i % 3 == 0) print i ".2 Up"; else if (i % 2 == 0) print i " Right"; else print i " Left"
    }
  }' >"$2"
}

seconds() {
  local start end
  start=$(date +%s.%N)
  "$replay" --data "$data" --keys "$1" --frames "$2" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

printf '%8s  %12s  %12s\n' lines "long script" "one line"
for n in "${lengths[@]}"; do
  make_script "$n" "$work/long.keys"
  echo "1-$n -" >"$work/short.keys"
  printf '%8s  %11.2fs  %11.2fs\n' "$n" "$(seconds "$work/long.keys" "$n")" "$(seconds "$work/short.keys" "$n")"
done
