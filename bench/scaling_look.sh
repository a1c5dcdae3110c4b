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
for tool in Xvfb xwd python3; do
  command -v "$tool" >/dev/null || { echo "scaling_look: $tool is missing: run bash scripts/install-deps.sh" >&2; exit 1; }
done
if [ ! -x build/bin/varnholt ] || [ ! -f build/share/varnholt/campaign/battledb.txt ]; then
  [ -f build/CMakeCache.txt ] || cmake -S . -B build >/dev/null
  cmake --build build -j 2 --target varnholt campaign
fi

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && { kill "$game_pid" 2>/dev/null || true; wait "$game_pid" 2>/dev/null || true; }
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

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
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  export DISPLAY=":$display"
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
  kill "$xvfb_pid"
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
