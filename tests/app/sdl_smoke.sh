#!/usr/bin/env bash
# Smoke test of the real game on a virtual X display (run under xvfb-run): it starts on a fixture
# campaign, F12 saves a screenshot of the title screen, Escape asks before quitting (the game keeps
# running), Enter on Quit ends it with exit code 0.
#   sdl_smoke.sh VARNHOLT MAKE_FIXTURE_CAMPAIGN FIXTURE_TEXT_DIR
set -euo pipefail
varnholt=$1
make_campaign=$2
fixture=$3

work=$(mktemp -d)
# The game keeps its checkpoints here, not in the home folder of whoever runs this.
export XDG_STATE_HOME="$work/state"

pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "sdl_smoke: $*" >&2
  [ -f "$work/err" ] && sed 's/^/  game: /' "$work/err" >&2
  exit 1
}

"$make_campaign" "$work/campaign" "$fixture"
export XDG_DATA_HOME="$work/data"
"$varnholt" --data "$work/campaign" --windowed 2>"$work/err" &
pid=$!

window=$(timeout 20 xdotool search --sync --name '^Varnholt$' | head -1) || fail "no window appeared"
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 1

xdotool key F12
shots="$XDG_DATA_HOME/varnholt/screenshots"
for _ in $(seq 50); do
  compgen -G "$shots/*.png" >/dev/null && break
  sleep 0.2
done
shot=$(compgen -G "$shots/*.png" | head -1) || fail "F12 saved no screenshot"
grep -q "screenshot saved to $shot" "$work/err" || fail "the screenshot's path was not reported"
# A PNG of 800 x 600: the IHDR width and height are bytes 16 to 23.
size=$(od -An -tx1 -j16 -N8 "$shot" | tr -d ' \n')
[ "$size" = "0000032000000258" ] || fail "screenshot is not 800 x 600 ($size)"

hold() {
  xdotool keydown "$1"
  sleep 0.2
  xdotool keyup "$1"
}
# Escape asks: the game is still there a second later, its question open.
hold Escape
sleep 1
kill -0 "$pid" 2>/dev/null || fail "Escape ended the game without asking"
# Enter picks Quit, the highlighted choice.
hold Return
status=0
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "the game did not end on Quit"
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "exit code $status after Quit"
echo "sdl_smoke: 1 passed, 0 failed"
