#!/usr/bin/env bash
# Installs what Varnholt needs, builds the game and its default campaign in build/, and starts it.
# Arguments are passed to the game (for example --windowed).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build
cmake --build build -j "$(nproc)" --target varnholt campaign
exec build/bin/varnholt "$@"
