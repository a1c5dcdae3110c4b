#!/usr/bin/env bash
# Builds Varnholt for the web browser and serves it on http://localhost:8080/.
#   scripts/web.sh               install, build, serve (Ctrl+C stops the server)
#   scripts/web.sh --build-only  install and build, do not serve
#   scripts/web.sh --port N      serve on another port
# The native build (build/) makes the default campaign and the font's glyph atlas; the web build
# (build-web/) makes build-web/site/: static files that any web server can host. They are served by
# scripts/serve-web.py, as a host should: precompressed, with ETags and Cache-Control.
set -euo pipefail
cd "$(dirname "$0")/.."

serve=1
port=8080
while [ $# -gt 0 ]; do
  case "$1" in
    --build-only) serve=0 ;;
    --port) port="$2"; shift ;;
    *) echo "usage: scripts/web.sh [--build-only] [--port N]" >&2; exit 2 ;;
  esac
  shift
done

bash scripts/install-deps.sh
bash scripts/install-web-deps.sh

cmake -S . -B build
cmake --build build -j "$(nproc)" --target campaign font_atlas

# Debian's Emscripten runs its JavaScript optimiser with Debian's acorn from /usr/share/nodejs.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DVARNHOLT_NATIVE_BUILD="$PWD/build"
cmake --build build-web -j "$(nproc)"

[ "$serve" -eq 1 ] || exit 0
echo "Varnholt is served on http://localhost:$port/ (Ctrl+C stops it)"
exec python3 scripts/serve-web.py --port "$port" --bind 127.0.0.1 build-web/site
