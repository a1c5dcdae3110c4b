#!/usr/bin/env bash
# Builds the Debian package build-package/varnholt_<version>_<arch>.deb: a Release build of the game, its
# three tools and the default campaign in build-package/ (build/ is never touched), installed under /usr
# into a staging tree (the game in /usr/games as Debian has it, the tools in /usr/bin), with stripped
# programs, compressed manual pages and changelog, Depends worked out from the programs by dpkg-shlibdeps,
# and the archive made by dpkg-deb.
#   scripts/package.sh          build the package
#   scripts/package.sh --check  build it, then check it with scripts/check-package.sh (lintian, install,
#                               run the installed programs, remove)
# VARNHOLT_MAINTAINER overrides the package's Maintainer field.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *)
    echo "usage: scripts/package.sh [--check]" >&2
    exit 2
    ;;
esac

bash scripts/install-deps.sh --package

build=build-package
stage=$PWD/$build/stage
maintainer=${VARNHOLT_MAINTAINER:-Varnholt developers <varnholt@example.org>}

# One timestamp for the changelog and every file in the archive (dpkg-deb clamps to it): the last
# commit's, so the same commit packs to the same files.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
fi
export SOURCE_DATE_EPOCH

# Debian's compiler and linker flags with every hardening feature (stack protector, fortified functions,
# full RELRO with immediate binding). CMake reads no CPPFLAGS, so the preprocessor flags join CXXFLAGS.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARNHOLT_BUILD_TESTS=OFF -DVARNHOLT_BUILD_BENCH=OFF \
  -DVARNHOLT_BUILD_SDL=ON -DVARNHOLT_INSTALL_GAMEDIR=games >/dev/null
if ! cmake --build "$build" -j "$(nproc)" --target varnholt varnholt-replay varnholt-check varnholt-picture campaign \
  >"$build/build.log" 2>&1; then
  tail -n 40 "$build/build.log"
  exit 1
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }
deb=$build/varnholt_${version}_${arch}.deb

rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$build/install.log"
programs=("$stage/usr/games/varnholt" "$stage/usr/bin/varnholt-replay" "$stage/usr/bin/varnholt-check"
  "$stage/usr/bin/varnholt-picture")
for program in "${programs[@]}"; do
  [ -x "$program" ] || { echo "package: ${program#"$stage"/} was not installed" >&2; exit 1; }
done

# What dh_strip and dh_installman would do: no symbols, no compiler comments; manual pages gzipped
# without a name or timestamp in the header.
strip --remove-section=.comment --remove-section=.note "${programs[@]}"
find "$stage/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} +

doc=$stage/usr/share/doc/varnholt
mkdir -p "$doc"
{
  echo "varnholt ($version) unstable; urgency=medium"
  echo
  echo "  * Varnholt $version, packaged by scripts/package.sh."
  echo
  echo " -- $maintainer  $(date -u -R -d "@$SOURCE_DATE_EPOCH")"
} | gzip -9n >"$doc/changelog.gz"

# Ownership comes from dpkg-deb --root-owner-group; modes are set here so the umask does not matter.
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "${programs[@]}"
mkdir -p "$stage/usr/share/lintian/overrides"
install -m 0644 dist/lintian-overrides "$stage/usr/share/lintian/overrides/varnholt"

# Depends: the shared libraries the programs load, as dpkg-shlibdeps finds them, and the font the game
# opens by its path (/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf), which no binary reveals.
mkdir -p "$stage/DEBIAN" "$build/shlibdeps/debian"
printf 'Source: varnholt\n\nPackage: varnholt\nArchitecture: any\n' >"$build/shlibdeps/debian/control"
shlibs=$(cd "$build/shlibdeps" &&
  dpkg-shlibdeps -O "${programs[@]}")
shlibs=${shlibs#shlibs:Depends=}
[ -n "$shlibs" ] || { echo "package: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

# Installed-Size as dpkg-gencontrol counts it: KiB per file, rounded up, and 1 for each folder.
installed_size=$(find "$stage" -path "$stage/DEBIAN" -prune -o -mindepth 1 -printf '%y %s\n' |
  awk '$1 == "f" { kib += int(($2 + 1023) / 1024); next } { kib += 1 } END { print kib }')

cat >"$stage/DEBIAN/control" <<EOF
Package: varnholt
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $installed_size
Depends: $shlibs, fonts-dejavu-core
Section: games
Priority: optional
Description: turn-based tactical role-playing game on a small 8-bit engine
 Varnholt is a single-player tactical RPG played with the keyboard: pick a
 party of five out of eight characters and lead it through a campaign of
 five battles on a grid of square cells. A combatant acts when the running
 sum of speeds reaches 100; it may move, attack, use a skill or end its turn.
 Every battle won raises the survivors by one level.
 .
 The game draws an 800x600 picture in 256 palette colours with its own 2D
 engine on SDL2. The package holds the default campaign and three tools:
 varnholt-replay plays a recorded key script headless and writes the state
 the game ends in, varnholt-check validates a campaign folder and draws
 a preview of its battles, and varnholt-picture converts pictures to and
 from the game's 8-bit BMP files in the campaign's palette. The manual page
 varnholt-campaign(5) describes every file of a campaign for those who
 write their own.
EOF
(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

rm -f "$build"/varnholt_*.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "package: $deb ($(stat -c %s "$deb") bytes; installed $installed_size KiB)"
echo "package: Depends: $shlibs, fonts-dejavu-core"

[ "$check" -eq 1 ] || exit 0
bash scripts/check-package.sh "$deb"
