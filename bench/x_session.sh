# Sourced by the bench scripts that run the real game on a virtual X display: checks their tools, builds
# the game and its campaign in build/ when they are missing, keeps a scratch folder $work, and stops the
# game ($game_pid) and Xvfb ($xvfb_pid) and removes $work however the script ends.
#   source bench/x_session.sh NAME TOOL...
x_session_name=$1
shift
for tool in "$@"; do
  command -v "$tool" >/dev/null || {
    echo "$x_session_name: $tool is missing: run bash scripts/install-deps.sh" >&2
    exit 1
  }
done
if [ ! -x build/bin/varnholt ] || [ ! -f build/share/varnholt/campaign/battledb.txt ]; then
  [ -f build/CMakeCache.txt ] || cmake -S . -B build >/dev/null
  cmake --build build -j 2 --target varnholt campaign
fi

work=$(mktemp -d)
# The game keeps its checkpoints here, not in the home folder of whoever runs this.
export XDG_STATE_HOME="$work/state"

xvfb_pid=""
game_pid=""
# Ends a background process the script started, if it still runs.
stop_process() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
cleanup() {
  stop_process "$game_pid"
  stop_process "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Starts Xvfb with a WIDTHxHEIGHT screen on the first display number from FIRST on that nobody uses, and
# points DISPLAY at it. False when it did not come up within 10 s.
start_xvfb() {
  local screen=$1
  display=$2
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 "${screen}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
  done
  export DISPLAY=":$display"
  [ -e "/tmp/.X11-unix/X$display" ]
}
