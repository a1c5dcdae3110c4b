#!/usr/bin/env bash
# Installs the Debian packages the web build needs (Emscripten and Node.js; librsvg2-bin to render the
# icons, brotli for the precompressed .br files); with --test also what the browser tests need (chromium, and playwright-core from npm at the version the committed lockfile names).
# Does nothing for what is present already; uses sudo when not run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(emscripten nodejs librsvg2-bin brotli)
if [ "${1:-}" = "--test" ]; then
  packages+=(chromium)
fi
# Debian's npm, unless a Node.js that carries its own npm is installed already.
command -v npm >/dev/null 2>&1 || packages+=(npm)

bash scripts/install-missing.sh "${packages[@]}"

if [ "${1:-}" = "--test" ] && [ ! -d tests/web/node_modules/playwright-core ]; then
  # playwright-core drives the installed chromium; it never downloads a browser of its own.
  (cd tests/web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
fi
