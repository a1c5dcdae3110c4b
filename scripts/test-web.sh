#!/usr/bin/env bash
# The browser tests: builds the web version in build-web/ (reusing what an earlier build left there) and
# runs tests/web/web_test.mjs in Debian's headless chromium against the native varnholt-replay on the same
# campaign, the site served by scripts/serve-web.py.
#   scripts/test-web.sh            the tests
#   scripts/test-web.sh --clean    the same from an empty build-web/
#   scripts/test-web.sh --measure  the tests, then the first visit's download and its time to the title on
#                                  a throttled network, the idle processor use of the title and of a
#                                  battle, and a battle frame's work in the page beside the native
#                                  app_bench's
# Other arguments go to the test script.
set -euo pipefail
cd "$(dirname "$0")/.."

test_args=()
measure=0
for arg in "$@"; do
  case "$arg" in
    --clean) rm -rf build-web ;;
    --measure) measure=1; test_args+=("$arg") ;;
    *) test_args+=("$arg") ;;
  esac
done

bash scripts/install-deps.sh
bash scripts/install-web-deps.sh --test
bash scripts/web.sh --build-only
cmake --build build -j "$(nproc)" --target varnholt-replay
if [ "$measure" -eq 1 ]; then
  # The native battle frame to compare with.
  cmake --build build -j "$(nproc)" --target app_bench
  test_args+=(--native-bench build/bin/app_bench)
fi

node tests/web/web_test.mjs --site build-web/site --game build-web/game --source . \
  --replay build/bin/varnholt-replay --campaign build/share/varnholt/campaign --keys tests/campaign "${test_args[@]}"
