#!/usr/bin/env bash
# Quitting the real game from outside (run under xvfb-run): the close button (a WM_DELETE_WINDOW
# message, as a window manager sends it), SIGINT and SIGTERM each end it with exit code 0 on the title,
# on an intro page waiting for Enter (where Escape, which asks before quitting at a frame's start, does
# nothing yet), and inside the splash's ten-second wait, long before the wait would have ended on its own.
#   outside_quit.sh VARNHOLT MAKE_FIXTURE_CAMPAIGN FIXTURE_TEXT_DIR
set -euo pipefail
varnholt=$1
make_campaign=$2
fixture=$3
here=$(cd "$(dirname "$0")" && pwd)

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

"$make_campaign" "$work/campaign" "$fixture"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

hold() {
  xdotool keydown "$1"
  sleep 0.1
  xdotool keyup "$1"
}

# One case: start the game (with frame keys, where a key acts only while it is down at a frame's start,
# which the Escape check below relies on), bring it to SCREEN, ask it to quit by WAY, and expect it gone
# within a few seconds (the splash's wait alone would last ten) with exit code 0.
run_case() {
  local screen=$1 way=$2
  "$varnholt" --data "$work/campaign" --windowed --keys frame 2>"$work/err" &
  pid=$!
  local window
  window=$(timeout 20 xdotool search --sync --name '^Varnholt$' | head -1) || {
    echo "outside_quit: $screen/$way: no window appeared" >&2
    failures=$((failures + 1))
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
    return
  }
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.5
  case "$screen" in
    intro) hold Down; hold Return ;;
    splash) hold Return ;;
  esac
  sleep 1.5
  if [ "$screen" = intro ]; then
    # Escape asks only at the start of a frame: the game still running after it shows it is inside the
    # intro page's long frame, with the question still to come. The splash is left unprobed: a press
    # ends its wait, and the quit below is to come inside it (Return on Begin started it 1.5 s ago).
    hold Escape
    sleep 0.7
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "outside_quit: $screen/$way: Escape ended the game, so it was not inside a long frame" >&2
      failures=$((failures + 1))
      wait "$pid" 2>/dev/null || true
      pid=""
      return
    fi
  fi
  case "$way" in
    close) python3 "$here/close_window.py" "$window" ;;
    INT | TERM) kill -s "$way" "$pid" ;;
  esac
  local gone=""
  for _ in $(seq 50); do
    if ! kill -0 "$pid" 2>/dev/null; then
      gone=yes
      break
    fi
    sleep 0.1
  done
  local status=0
  if [ -z "$gone" ]; then
    echo "outside_quit: $screen/$way: the game was still running 5 s later" >&2
    failures=$((failures + 1))
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  else
    wait "$pid" || status=$?
    if [ "$status" -ne 0 ]; then
      echo "outside_quit: $screen/$way: exit code $status" >&2
      sed 's/^/  game: /' "$work/err" >&2
      failures=$((failures + 1))
    else
      passed=$((passed + 1))
    fi
  fi
  pid=""
}

for screen in title intro splash; do
  for way in close INT TERM; do
    run_case "$screen" "$way"
  done
done
echo "outside_quit: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
