#!/usr/bin/env bash
# Installs the Debian packages Varnholt needs to build, run and test; with --package also what building and
# checking the Debian package needs (dpkg-dev for dpkg-deb and dpkg-shlibdeps, lintian).
# Does nothing when they are all present already; uses sudo when not run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-ttf-dev fonts-dejavu-core libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool x11-apps x11-utils xfonts-base python3
  desktop-file-utils clang-14 libclang-rt-14-dev)
if [ "${1:-}" = "--package" ]; then
  packages+=(dpkg-dev lintian)
fi

bash scripts/install-missing.sh "${packages[@]}"
