#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR under a /usr prefix, checks that every file is in its
# place, passes a campaign picture through the installed varnholt-picture and back, and runs the
# installed varnholt-replay from a folder without content: it must find the
# installed campaign beside itself. Arguments: the build folder.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root/stage" cmake --install "$build" --prefix /usr >"$root/install.log"
usr="$root/stage/usr"

fail() { echo "install test: $*"; exit 1; }
for f in bin/varnholt-replay bin/varnholt-check bin/varnholt-picture; do
  [ -x "$usr/$f" ] || fail "$f missing or not executable"
done
if grep -q '^VARNHOLT_BUILD_SDL:BOOL=ON' "$build/CMakeCache.txt"; then
  [ -x "$usr/bin/varnholt" ] || fail "bin/varnholt missing"
fi
for f in share/applications/varnholt.desktop share/icons/hicolor/scalable/apps/varnholt.svg \
  share/man/man6/varnholt.6 share/man/man1/varnholt-check.1 share/man/man1/varnholt-replay.1 \
  share/man/man5/varnholt-campaign.5 \
  share/man/man1/varnholt-picture.1 \
  share/doc/varnholt/copyright share/varnholt/campaign/chardb.txt share/varnholt/campaign/PALDATA2.PAL \
  share/varnholt/campaign/title.BMP; do
  [ -s "$usr/$f" ] || fail "$f missing or empty"
done
desktop="$usr/share/applications/varnholt.desktop"
grep -qx 'Exec=varnholt' "$desktop" || fail "desktop entry does not run varnholt"
grep -qx 'Categories=Game;StrategyGame;' "$desktop" || fail "desktop entry categories"
grep -qx 'Icon=varnholt' "$desktop" || fail "desktop entry icon"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"

# The installed campaign is the built one, file for file, and the installed checker passes it.
diff -r "$build/share/varnholt/campaign" "$usr/share/varnholt/campaign" || fail "installed campaign differs"
"$usr/bin/varnholt-check" "$usr/share/varnholt/campaign" >/dev/null || fail "installed campaign does not check clean"

# The installed picture tool: a campaign picture to a PNG and back in the installed palette is the same file.
"$usr/bin/varnholt-picture" "$usr/share/varnholt/campaign/hit.bmp" "$root/hit.png" >/dev/null ||
  fail "installed varnholt-picture cannot write a PNG"
"$usr/bin/varnholt-picture" "$root/hit.png" "$root/hit.bmp" --palette "$usr/share/varnholt/campaign/PALDATA2.PAL" \
  --sheet hit >/dev/null || fail "installed varnholt-picture cannot write a BMP"
cmp -s "$usr/share/varnholt/campaign/hit.bmp" "$root/hit.bmp" || fail "hit.bmp through a PNG and back differs"

# From an empty folder the installed runner finds the installed campaign: the title screen after the
# splash pictures, without an error.
empty="$root/empty"
mkdir "$empty"
printf '# nothing pressed\n1-5 -\n' >"$root/keys.txt"
cd "$empty"
status=0
"$usr/bin/varnholt-replay" --keys "$root/keys.txt" --frames 5 --state "$root/state.json" >"$root/out.txt" 2>&1 ||
  status=$?
cat "$root/out.txt"
[ "$status" -eq 0 ] || fail "installed varnholt-replay exited with $status"
grep -q '"exit": *"running"' "$root/state.json" || fail "the installed game did not run: $(cat "$root/state.json")"

# Without the installed campaign the same run cannot start: the campaign above was the one it used.
mv "$usr/share/varnholt/campaign" "$root/moved"
status=0
"$usr/bin/varnholt-replay" --keys "$root/keys.txt" --frames 5 >/dev/null 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "varnholt-replay without the installed campaign exited with $status, not 1"
echo "install test: ok"
