#!/usr/bin/env bash
# Idle processor use of the real game, screen by screen, on a virtual X display.
#
#   bash bench/idle_cpu.sh [--seconds N] [--screen WxH] [--keys frame|press] [--controller] [--shots DIR]
#                          [-- GAME OPTIONS]
#
# Starts build/bin/varnholt (full screen by default; options after -- go to the game, e.g. --windowed or
# --scaling integer) under Xvfb, drives it with xdotool to the title, an intro page, the splash, the party
# selection, a battle screen where nothing moves and the victory picture, and prints for each screen the
# share of one core the game's process used over N seconds (utime + stime from /proc/PID/stat) while
# nobody pressed anything; then how late the waits ended (the game's VARNHOLT_WAIT_REPORT).
# The game runs on a copy of the default campaign whose first battle has no opponents, so ending the
# first turn wins it at once and shows the victory picture. --shots DIR saves a PNG of the whole X
# screen on each screen. --controller plugs a virtual game controller in (VARNHOLT_VIRTUAL_CONTROLLER=1)
# that nobody touches, as on a handheld. Builds the game and the campaign in build/ first when they are
# missing.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=10
screen=1920x1080
keys=frame
controller=0
shots=""
game_options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --keys) keys=$2; shift 2 ;;
    --controller) controller=1; shift ;;
    --shots) shots=$2; shift 2 ;;
    --) shift; game_options=("$@"); break ;;
    *) echo "idle_cpu: unknown option $1" >&2; exit 2 ;;
  esac
done
case "$keys" in frame | press) ;; *) echo "idle_cpu: --keys is frame or press" >&2; exit 2 ;; esac
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -ge 1 ] || { echo "idle_cpu: --seconds is a whole number" >&2; exit 2; }
[[ "$screen" =~ ^[0-9]+x[0-9]+$ ]] || { echo "idle_cpu: --screen is WIDTHxHEIGHT" >&2; exit 2; }

source bench/x_session.sh idle_cpu Xvfb xdotool xwd
fail() {
  echo "idle_cpu: $*" >&2
  [ -s "$work/err" ] && sed 's/^/  game: /' "$work/err" >&2
  exit 1
}

start_xvfb "$screen" 77 || fail "Xvfb did not start on :$display"

cp -r build/share/varnholt/campaign "$work/campaign"
sed -i 's/^\*1 1 .*/*1 1 0/' "$work/campaign/battledb.txt"
mkdir -p "$work/config" "$work/data"

VARNHOLT_VIRTUAL_CONTROLLER=$controller \
  XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" VARNHOLT_WAIT_REPORT="$work/waits" \
  build/bin/varnholt --data "$work/campaign" --keys "$keys" "${game_options[@]}" 2>"$work/err" &
game_pid=$!
window=$(timeout 20 xdotool search --sync --name '^Varnholt$' | head -1) || fail "no window appeared"
xdotool windowfocus --sync "$window" 2>/dev/null || true

# A key held for the given milliseconds: one xdotool for both, or a busy machine's start-up time of the
# second would lengthen the hold, and a tap meant to act once would act twice.
hold() {
  xdotool keydown "$1" sleep "$(awk -v ms="$2" 'BEGIN { printf "%.3f", ms / 1000 }')" keyup "$1"
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended while driven (key $1)"
}

cpu_ticks() {
  # Fields 14 and 15 of /proc/PID/stat, counted after the command name in parentheses.
  sed 's/^.*) //' "/proc/$game_pid/stat" | awk '{ print $12 + $13 }'
}
hertz=$(getconf CLK_TCK)
results=()
measure() {
  local name=$1 length=${2:-$seconds}
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended before the $name screen"
  local ticks0 time0 ticks1 time1
  ticks0=$(cpu_ticks)
  time0=$(date +%s%N)
  sleep "$length"
  ticks1=$(cpu_ticks)
  time1=$(date +%s%N)
  local share
  share=$(awk -v t="$((ticks1 - ticks0))" -v hz="$hertz" -v ns="$((time1 - time0))" \
    'BEGIN { printf "%.1f", 100 * (t / hz) / (ns / 1e9) }')
  results+=("$(printf '%-10s %5s %% of a core over %s s' "$name" "$share" "$length")")
  if [ -n "$shots" ]; then
    mkdir -p "$shots"
    xwd -root -silent | python3 bench/xwd_png.py "$shots/$name.png"
  fi
}

sleep 1
measure title
hold Down 100
sleep 0.5
# The screen's picture, to tell when the intro pages have led back to the title.
screen_sum() { xwd -root -silent | md5sum | cut -d' ' -f1; }
title_sum=$(screen_sum)
hold Return 100
sleep 1
measure intro
# A held Enter passes every page, and the title's next frame opens them again while it is still down;
# Enter must come up after that second round's pages and before its title frame reads the keys (the
# second round lasts about a second: its waits count from that title frame). The picture on screen
# tells whether it did, and a hold of another length is tried until the title is what stays.
attempt=0
for length in 750 850 650 950 700 800 900 600 1000 750 850 650; do
  attempt=$((attempt + 1))
  if [ "$keys" = frame ]; then
    hold Return "$length"
  else
    for _ in 1 2 3 4; do
      hold Return 60
      sleep 0.2
    done
  fi
  sleep 1.5
  [ "$(screen_sum)" = "$title_sum" ] && break
  [ "$attempt" -ge 12 ] && fail "the intro pages did not lead back to the title"
done
hold Up 100
hold Return 100
splash_start=$(date +%s)
sleep 2
# The splash lasts 30 s: three pictures of 10 s in one frame.
measure splash "$((seconds < 8 ? seconds : 8))"
while [ $(($(date +%s) - splash_start)) -lt 32 ]; do sleep 0.5; done
measure selection
# Five different characters: Enter adds the one under the cursor, Right moves on by one or two (a held
# key acts once per frame).
for i in 1 2 3 4 5; do
  hold Return 100
  sleep 0.3
  [ "$i" -lt 5 ] && hold Right 100 && sleep 0.3
done
sleep 2
measure battle
# Backspace opens the command bar on its first button; the third ends the turn, and with no opponents
# that wins. Taps shorter than a battle frame after an arrow (60 ms) act once; one seen twice is
# undone by the next Backspace. The victory picture covers the screen's centre, which the battle
# screen's keys never change.
centre() { xwd -root -silent | python3 bench/xwd_png.py --centre; }
battle_centre=$(centre)
for attempt in 1 2 3 4 5; do
  hold BackSpace 35
  sleep 0.3
  hold Right 35
  sleep 0.3
  hold Right 35
  sleep 0.3
  hold Return 35
  sleep 1
  [ "$(centre)" != "$battle_centre" ] && break
  [ "$attempt" -eq 5 ] && fail "the battle was not won"
done
measure victory "$((seconds < 8 ? seconds : 8))"

# Escape counts when it is down at the start of a frame; the victory picture's frame lasts 10 s.
status=0
for _ in $(seq 15); do
  xdotool keydown Escape
  sleep 0.5
  xdotool keyup Escape 2>/dev/null || true
  sleep 0.5
  kill -0 "$game_pid" 2>/dev/null || break
done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end on Escape"
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the game ended with exit code $status"

echo "varnholt ${game_options[*]} --keys $keys$([ "$controller" = 1 ] && echo ', a controller plugged in') on Xvfb $screen; load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%s\n' "${results[@]}"
[ -s "$work/waits" ] || fail "the game wrote no wait report"
cat "$work/waits"
