#!/usr/bin/env bash
# Installs the Debian packages Varnholt needs to build, run and test; with --package also what building and
# checking the Debian package needs (dpkg-dev for dpkg-deb and dpkg-shlibdeps, lintian).
# Does nothing when they are all present already; uses sudo when not run as root.
set -euo pipefail

packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-ttf-dev fonts-dejavu-core libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool x11-apps python3 desktop-file-utils
  clang-14 libclang-rt-14-dev)
if [ "${1:-}" = "--package" ]; then
  packages+=(dpkg-dev lintian)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
