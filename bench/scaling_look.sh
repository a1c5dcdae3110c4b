#!/usr/bin/env bash
# How the game's picture sits on screens of several sizes: for each screen (1920x1080, 1366x768,
# 1280x1024 by default) and each way of showing it (full screen fit, full screen --scaling integer,
# windowed), starts build/bin/varnholt under Xvfb on a copy of the default campaign whose title picture
# is a test pattern (bench/scaling_pattern.py), grabs the whole X screen and prints the picture's size
# and place and how evenly its one-pixel lines come out. With --shots DIR it also saves each grab and
# one of the real title screen per screen size as PNG files.
#   bash bench/scaling_look.sh [--shots DIR] [WxH...]
set -euo pipefail
cd "$(dirname "$0")/.."
shots=""
if [ "${1:-}" = "--shots" ]; then
  shots=$2
  shift 2
  mkdir -p "$shots"
fi
screens=("$@")
[ ${#screens[@]} -gt 0 ] || screens=(1920x1080 1366x768 1280x1024)
source bench/x_session.sh scaling_look Xvfb xwd python3

cp -r build/share/varnholt/campaign "$work/pattern"
python3 bench/scaling_pattern.py write "$work/pattern/title.BMP"
mkdir -p "$work/config"

# Shows CAMPAIGN with the game's OPTIONS for a few seconds and grabs the screen into $work/grab.xwd.
grab() {
  local campaign=$1
  shift
  XDG_CONFIG_HOME="$work/config" build/bin/varnholt --data "$campaign" "$@" 2>"$work/err" &
  game_pid=$!
  sleep 3
  kill -0 "$game_pid" 2>/dev/null || { echo "scaling_look: the game ended:" >&2; cat "$work/err" >&2; exit 1; }
  xwd -root -silent >"$work/grab.xwd"
  kill -TERM "$game_pid"
  wait "$game_pid" || { echo "scaling_look: the game did not end with exit code 0" >&2; exit 1; }
  game_pid=""
}

display=78
for screen in "${screens[@]}"; do
  start_xvfb "$screen" "$display" || { echo "scaling_look: Xvfb did not start on :$display" >&2; exit 1; }
  for mode in fit integer windowed; do
    case "$mode" in
      fit) options=() ;;
      integer) options=(--scaling integer) ;;
      windowed) options=(--windowed) ;;
    esac
    grab "$work/pattern" "${options[@]}"
    echo "== $screen, $mode"
    python3 bench/scaling_pattern.py measure <"$work/grab.xwd"
    [ -n "$shots" ] && python3 bench/xwd_png.py "$shots/pattern-$screen-$mode.png" <"$work/grab.xwd"
  done
  if [ -n "$shots" ]; then
    grab build/share/varnholt/campaign
    python3 bench/xwd_png.py "$shots/title-$screen-fit.png" <"$work/grab.xwd"
  fi
  stop_process "$xvfb_pid"
  xvfb_pid=""
done
