#!/usr/bin/env bash
# The browser tests: builds the web version in build-web/ (reusing what an earlier build left there) and
# runs tests/web/web_test.mjs in Debian's headless chromium against the native varnholt-replay on the same
# campaign.
#   scripts/test-web.sh            the tests
#   scripts/test-web.sh --clean    the same from an empty build-web/
#   scripts/test-web.sh --measure  the tests, then download size, battle-frame CPU and load-to-title time
# Other arguments go to the test script.
set -euo pipefail
cd "$(dirname "$0")/.."

test_args=()
for arg in "$@"; do
  case "$arg" in
    --clean) rm -rf build-web ;;
    *) test_args+=("$arg") ;;
  esac
done

bash scripts/install-deps.sh
bash scripts/install-web-deps.sh --test
bash scripts/web.sh --build-only
cmake --build build -j "$(nproc)" --target varnholt-replay

node tests/web/web_test.mjs --site build-web/site --replay build/bin/varnholt-replay \
  --campaign build/share/varnholt/campaign --keys tests/campaign "${test_args[@]}"
