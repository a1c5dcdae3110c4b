#!/usr/bin/env bash
# Installs what the build needs, configures, builds and runs the test suite.
#   scripts/test.sh                   normal build in build/, every test
#   scripts/test.sh --sanitize        AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   scripts/test.sh --label REGEX     only the tests whose ctest label matches (unit, replay, x11, slow)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=build
flags=()
ctest_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize)
      build=build-asan
      flags=(-DVARNHOLT_SANITIZE=ON -DVARNHOLT_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
      export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
      export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
      ;;
    --label)
      [ $# -ge 2 ] || { echo "scripts/test.sh: --label needs a regular expression" >&2; exit 2; }
      ctest_args+=(-L "$2")
      shift
      ;;
    *)
      echo "usage: scripts/test.sh [--sanitize] [--label REGEX]" >&2
      exit 2
      ;;
  esac
  shift
done

cmake -S . -B "$build" "${flags[@]}"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300 "${ctest_args[@]}"
