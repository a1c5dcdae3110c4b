#!/usr/bin/env bash
# The checker on the built default campaign: exit 0 and a summary of no problems. Every line it prints
# is shown, so a warning is seen in the test log.
set -euo pipefail
checker=$1
campaign=$2
status=0
output=$("$checker" "$campaign") || status=$?
printf '%s\n' "$output"
[ "$status" -eq 0 ] || { echo "varnholt-check exited with $status"; exit 1; }
last=$(printf '%s\n' "$output" | tail -n 1)
[[ "$last" == "0 problems, "* ]] || { echo "unexpected summary: $last"; exit 1; }
# A missing folder is a command-line error, not a clean campaign.
if "$checker" "$campaign/no-such-folder" >/dev/null 2>&1; then echo "a missing folder passed"; exit 1; fi
