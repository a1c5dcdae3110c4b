#!/usr/bin/env bash
# The browser tests: builds the web version from a clean build-web/ and runs tests/web/web_test.mjs in
# Debian's headless chromium against the native varnholt-replay on the same campaign.
#   scripts/test-web.sh            the tests
#   scripts/test-web.sh --measure  the tests, then download size, battle-frame CPU and load-to-title time
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/install-web-deps.sh --test
rm -rf build-web
bash scripts/web.sh --build-only
cmake --build build -j "$(nproc)" --target varnholt-replay

node tests/web/web_test.mjs --site build-web/site --replay build/bin/varnholt-replay \
  --campaign build/share/varnholt/campaign --keys tests/campaign "$@"
