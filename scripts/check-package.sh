#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built:
#   1. lintian: any error fails, warnings and notes are printed;
#   2. apt-get install of the .deb (sudo when not root), with the dependencies it names;
#   3. the installed game answers --version with the project version, and opens its window on a virtual
#      X display from an empty folder and ends on Escape and Enter (Quit);
#   4. the installed varnholt-replay, started from an empty folder, finds the installed campaign by itself
#      and plays the winning key script to the campaign's end;
#   5. the installed varnholt-check finds no problem in the installed campaign and draws a battle of it,
#      and the campaign format's manual page is installed;
#   6. the installed varnholt-picture turns an installed picture into a PNG and back into the same file;
#   7. apt-get purge removes every file the package installed.
# The package is removed again however the check ends.
#   scripts/check-package.sh [DEB]   (default: the one in build-package/)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -gt 0 ]; then
  deb=$1
else
  debs=(build-package/varnholt_*.deb)
  if [ ! -f "${debs[0]}" ]; then
    echo "check-package: no package in build-package/; run scripts/package.sh" >&2
    exit 2
  fi
  deb=${debs[0]}
fi
deb=$(realpath "$deb")
version=$(dpkg-deb -f "$deb" Version)
keys=$PWD/tests/campaign/win.keys

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

fail() {
  echo "check-package: $*" >&2
  exit 1
}

echo "== lintian $(basename "$deb")"
# lintian warns when it runs as root (as CI does); that line is not about the package.
lintian_out=$(lintian --display-info --pedantic "$deb" 2>&1) || lintian_status=$?
grep -v '^running with root privileges' <<<"$lintian_out" || true
for level in E W I P; do
  echo "lintian $level: $(grep -c "^$level: " <<<"$lintian_out" || true)"
done
if grep -q '^E: ' <<<"$lintian_out" || [ "${lintian_status:-0}" -ne 0 ]; then
  fail "lintian reports errors (exit ${lintian_status:-0})"
fi

work=$(mktemp -d)
# The game keeps its checkpoints here, not in the home folder of whoever runs this.
export XDG_STATE_HOME="$work/state"

installed=0
cleanup() {
  if [ "$installed" -eq 1 ]; then
    $sudo apt-get purge -y -q varnholt >"$work/purge.log" 2>&1 || cat "$work/purge.log" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== apt-get install $(basename "$deb")"
# A copy left installed (by a check that was killed, say) would keep apt from installing this one when
# the versions match: it goes first.
if dpkg-query -W -f='${Status}\n' varnholt 2>/dev/null | grep -q 'installed'; then
  echo "purging the varnholt package installed before"
  $sudo apt-get purge -y -q varnholt >"$work/purge.log" 2>&1 || {
    cat "$work/purge.log"
    fail "apt-get purge of the earlier varnholt failed"
  }
fi
installed=1
if ! $sudo apt-get install -y -q "$deb" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  fail "apt-get install failed"
fi
dpkg-query -W -f='${Status} ${Version}\n' varnholt | grep -qx "install ok installed $version" ||
  fail "varnholt $version is not installed after apt-get install"
dpkg -L varnholt >"$work/files.txt"

echo "== installed programs"
game=/usr/games/varnholt
[ -x "$game" ] || fail "$game is not installed"
for tool in varnholt-replay varnholt-check varnholt-picture; do
  [ "$(command -v "$tool")" = "/usr/bin/$tool" ] || fail "$tool is not /usr/bin/$tool on PATH"
done
reported=$("$game" --version) || fail "$game --version exited with $?"
echo "$reported"
[ "$reported" = "varnholt $version" ] || fail "$game --version says '$reported', not 'varnholt $version'"

# The installed game in a window on a virtual X display, started from an empty folder without --data and
# without a settings file: it finds its campaign and font, shows its window, and Escape (held for a few
# frames, as it counts when down at the start of a frame) asks before quitting; Enter on Quit ends it with
# exit code 0.
mkdir -p "$work/window"
cat >"$work/window.sh" <<'WINDOW'
set -u
game=$1
cd "$2"
"$game" --windowed 2>../window.err &
pid=$!
window=$(timeout 20 xdotool search --sync --name '^Varnholt$' | head -1) || { kill "$pid"; exit 10; }
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 1
xdotool keydown Escape
sleep 0.5
xdotool keyup Escape
sleep 0.5
xdotool keydown Return
sleep 0.2
xdotool keyup Return
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null && { kill "$pid"; exit 11; }
wait "$pid"
WINDOW
status=0
XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
  xvfb-run -a bash "$work/window.sh" "$game" "$work/window" || status=$?
case "$status" in
  0) echo "the installed game opened its window and ended on Escape, Quit" ;;
  10) fail "the installed game showed no window: $(cat "$work/window.err")" ;;
  11) fail "the installed game did not end on Escape, Quit: $(cat "$work/window.err")" ;;
  *) fail "the installed game exited with $status: $(cat "$work/window.err")" ;;
esac

# From an empty folder and without --data the runner has to find the installed campaign beside itself.
cp "$keys" "$work/win.keys"
mkdir "$work/empty"
status=0
(cd "$work/empty" && varnholt-replay --keys ../win.keys --state ../state.json) >"$work/replay.txt" 2>&1 ||
  status=$?
cat "$work/replay.txt"
[ "$status" -eq 0 ] || fail "installed varnholt-replay exited with $status"
grep -q ' exit=campaign-end$' "$work/replay.txt" || fail "the winning key script did not end the campaign"
grep -q '"exit": *"campaign-end"' "$work/state.json" || fail "the state file does not say the campaign ended"
[ -z "$(ls -A "$work/empty")" ] || fail "varnholt-replay wrote into its working folder: $(ls -A "$work/empty")"

varnholt-check /usr/share/varnholt/campaign >"$work/check.txt" 2>&1 || {
  cat "$work/check.txt"
  fail "varnholt-check finds problems in the installed campaign"
}
tail -n 1 "$work/check.txt"
# The installed checker draws a battle of the installed campaign with the installed game's pictures and
# font, and the campaign format's manual page is in place.
varnholt-check --preview 5 "$work/preview.png" /usr/share/varnholt/campaign >"$work/preview.txt" 2>&1 || {
  cat "$work/preview.txt"
  fail "varnholt-check --preview fails on the installed campaign"
}
[ "$(head -c 8 "$work/preview.png" | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ] ||
  fail "varnholt-check --preview wrote no PNG file"
tail -n 1 "$work/preview.txt"
grep -qx '/usr/share/man/man5/varnholt-campaign.5.gz' "$work/files.txt" || fail "varnholt-campaign(5) is not installed"

# A picture of the installed campaign to a PNG and back, in the installed palette: the same file.
campaign=/usr/share/varnholt/campaign
varnholt-picture "$campaign/buttons.bmp" "$work/buttons.png" >/dev/null ||
  fail "installed varnholt-picture could not write a PNG"
varnholt-picture "$work/buttons.png" "$work/buttons.bmp" --palette "$campaign/PALDATA2.PAL" --sheet buttons ||
  fail "installed varnholt-picture could not write the BMP"
cmp -s "$campaign/buttons.bmp" "$work/buttons.bmp" || fail "buttons.bmp through a PNG and back is another file"

echo "== apt-get purge varnholt"
$sudo apt-get purge -y -q varnholt >"$work/purge.log" 2>&1 || {
  cat "$work/purge.log"
  fail "apt-get purge failed"
}
installed=0
if dpkg-query -W -f='${Status}\n' varnholt 2>/dev/null | grep -q 'installed'; then
  fail "varnholt is still installed after apt-get purge"
fi
left=()
while read -r path; do
  # Folders such as /usr/bin belong to other packages too; every file and the game's own folders go.
  if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == */varnholt* ]]; }; then
    left+=("$path")
  fi
done <"$work/files.txt"
[ ${#left[@]} -eq 0 ] || fail "left behind after purge: ${left[*]}"
echo "package check: ok ($(grep -c . "$work/files.txt") paths installed and removed)"
