#!/usr/bin/env bash
# The real game's window played with the mouse alone (run under xvfb-run on a screen larger than the
# window): a click on Begin, a click that ends the splash's wait, a click on five portraits; then Escape
# and Enter quit through the dialog. The session is recorded with --record and replayed headless: the
# replay must reach the battle with five party members, as the clicks did, and the recording must hold
# only the game's own keys.
#   pointer_clicks.sh VARNHOLT VARNHOLT_REPLAY CAMPAIGN
set -euo pipefail
varnholt=$1
replay=$2
campaign=$3

work=$(mktemp -d)
export XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "pointer_clicks: $*" >&2
  [ -f "$work/err" ] && sed 's/^/  game: /' "$work/err" >&2
  exit 1
}

"$varnholt" --data "$campaign" --windowed --record "$work/clicks.keys" 2>"$work/err" &
pid=$!
window=$(timeout 20 xdotool search --sync --name '^Varnholt$' | head -1) || fail "no window appeared"
sleep 1

# Frame pixels to window pixels: the picture is the largest 4:3 place that fits, centred.
eval "$(xdotool getwindowgeometry --shell "$window")"
click() {
  local at
  at=$(python3 -c "
w, h = $WIDTH, $HEIGHT
scale = min(w / 800, h / 600)
left, top = (w - round(800 * scale)) // 2, (h - round(600 * scale)) // 2
print(int(left + ($1 + 0.5) * scale), int(top + ($2 + 0.5) * scale))")
  # shellcheck disable=SC2086
  xdotool mousemove --window "$window" $at click "${3:-1}"
}

click 250 120  # Begin
sleep 1.5
kill -0 "$pid" 2>/dev/null || fail "the game ended after the click on Begin"
click 400 300  # ends the splash's wait at once, instead of half a minute later
sleep 1.5
for k in 0 1 2 3 4; do
  click $((75 + 50 * k)) 128  # portrait k
  sleep 1.2
done
kill -0 "$pid" 2>/dev/null || fail "the game ended during the party choice"

xdotool key --window "$window" Escape
sleep 0.7
kill -0 "$pid" 2>/dev/null || fail "Escape ended the game without asking"
xdotool key --window "$window" Return  # Quit is the question's first choice
status=0
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then fail "the game was still running 5 s after Quit"; fi
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "exit code $status"

"$replay" --data "$campaign" --keys "$work/clicks.keys" --state "$work/state.json" >"$work/replay.out" ||
  fail "the recording did not replay: $(cat "$work/replay.out")"
python3 - "$work/state.json" "$work/clicks.keys" <<'EOF' || fail "the replay did not reach the clicked state"
import json, sys
state = json.load(open(sys.argv[1]))
screen, party = state.get("screenState"), state.get("partyCount")
if screen != 3 or party != 5:
    sys.exit(f"replayed to screen {screen} with {party} party members, not the battle with five")
keys = set()
for line in open(sys.argv[2]):
    line = line.split("#")[0].split()
    if len(line) == 2 and line[1] != "-":
        keys.update(line[1].split("+"))
extra = keys - {"Enter", "Left", "Right", "Up", "Down", "Escape"}
if extra:
    sys.exit(f"the recording holds keys no click makes: {sorted(extra)}")
if "Enter" not in keys or "Right" not in keys:
    sys.exit(f"the recording holds only {sorted(keys)}: the clicks did not become keys")
EOF
echo "pointer_clicks: the clicked session replays to the battle with five party members"
