#!/usr/bin/env bash
# A start that fails shows its message in a window as well as on standard error (run under xvfb-run):
# with a campaign folder that does not exist, a window titled Varnholt appears, the game waits on it,
# Return closes it and the game exits 1 with the message once on standard error. Without a display the
# same start ends at once with the message on standard error. --help, --version, --print-settings and
# a bad command line show no window: they end at once (a window would keep them waiting).
#   error_window.sh VARNHOLT
set -euo pipefail
varnholt=$(realpath "$1")

work=$(mktemp -d)
# The game keeps its checkpoints here, not in the home folder of whoever runs this.
export XDG_STATE_HOME="$work/state"

pid=""
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
passed=0
failed() {
  echo "error_window: $*" >&2
  [ -f "$work/err" ] && sed 's/^/  game: /' "$work/err" >&2
  failures=$((failures + 1))
}

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
missing="$work/no-campaign"
cd "$work"

# The id of a top-level window titled Varnholt. The message window's title is a UTF-8 property that
# xdotool's search does not read, so the window tree is asked.
varnholt_window() {
  xwininfo -root -tree 2>/dev/null | awk '$2 == "\"Varnholt\":" { print $1; exit }'
}

# The message names the folder looked in; it must be there exactly once.
message_once() {
  local count
  count=$(grep -c -F "$missing" "$work/err" || true)
  [ "$count" -eq 1 ]
}

# Terminal uses: no window, the usual exit code, at once.
for args in "--help" "--version" "--print-settings" "--bogus" "--keys=tap"; do
  status=0
  # shellcheck disable=SC2086
  timeout 10 "$varnholt" $args --data "$missing" >/dev/null 2>"$work/err" || status=$?
  case "$args" in --bogus | --keys=tap) want=2 ;; *) want=0 ;; esac
  if [ "$status" -ne "$want" ]; then
    failed "$args: exit code $status, not $want"
  elif [ -n "$(varnholt_window)" ]; then
    failed "$args: a window was left open"
  else
    passed=$((passed + 1))
  fi
done

# A missing campaign on the desktop: the message window, then exit 1 once it is closed.
"$varnholt" --data "$missing" --windowed 2>"$work/err" &
pid=$!
window=""
for _ in $(seq 100); do
  window=$(varnholt_window)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if [ -z "$window" ]; then
  failed "missing campaign: no message window appeared"
else
  sleep 0.5
  if ! kill -0 "$pid" 2>/dev/null; then
    failed "missing campaign: the game did not wait for the message window to close"
  else
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key Return
    gone=""
    for _ in $(seq 50); do
      if ! kill -0 "$pid" 2>/dev/null; then
        gone=yes
        break
      fi
      sleep 0.1
    done
    if [ -z "$gone" ]; then
      failed "missing campaign: still running 5 s after Return on the message window"
    else
      status=0
      wait "$pid" || status=$?
      pid=""
      if [ "$status" -ne 1 ]; then
        failed "missing campaign: exit code $status, not 1"
      elif ! message_once; then
        failed "missing campaign: the message is not on standard error exactly once"
      else
        passed=$((passed + 1))
      fi
    fi
  fi
fi
if [ -n "$pid" ]; then
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
fi

# No display at all: no window can be shown, the message still reaches standard error.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$varnholt" --data "$missing" 2>"$work/err" || status=$?
if [ "$status" -ne 1 ]; then
  failed "no display: exit code $status, not 1"
elif ! message_once; then
  failed "no display: the message is not on standard error exactly once"
else
  passed=$((passed + 1))
fi

echo "error_window: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
