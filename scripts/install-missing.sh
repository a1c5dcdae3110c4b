#!/usr/bin/env bash
# Installs those of the named Debian packages that are not installed yet, in one apt-get run; does
# nothing when all are present. Uses sudo when not run as root. The install scripts of the game and of
# the web build both call it, so "what is missing" is decided in one place.
#   scripts/install-missing.sh PACKAGE...
set -euo pipefail

missing=()
for p in "$@"; do
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
