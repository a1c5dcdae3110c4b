#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 (ASan + UBSan) in build-fuzz/ and runs each for SECONDS
# (default 60) on its corpus, seeded from the default campaign, as many at once as there are processors
# (FUZZ_JOBS=N for another number). Fails when any target finds a crash, a sanitizer report, a leak, a
# timeout or runs out of memory; the input that did it is kept in build-fuzz/fuzz/artifacts/TARGET/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# The corpus each run grows is kept in build-fuzz/fuzz/corpus/TARGET/ and reused by the next run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

seconds=${1:-60}
shift || true
build=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DVARNHOLT_FUZZ=ON -DVARNHOLT_BUILD_TESTS=OFF \
  -DVARNHOLT_BUILD_BENCH=OFF -DVARNHOLT_BUILD_SDL=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if ! cmake --build "$build" --target fuzzers -j "$(nproc)" >"$build/build.log" 2>&1; then
  tail -n 40 "$build/build.log"
  exit 1
fi

targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets <"$build/fuzz/targets.txt"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Runs one target for its time; prints its summary (or its failure) into $build/fuzz/logs/TARGET.result
# and leaves TARGET.failed beside it when it found something.
run_target() {
  local target=$1
  local corpus=$build/fuzz/corpus/$target
  local artifacts=$build/fuzz/artifacts/$target
  local log=$build/fuzz/logs/$target.log
  local result=$build/fuzz/logs/$target.result
  mkdir -p "$corpus" "$artifacts"
  rm -f "$build/fuzz/logs/$target.failed"
  {
    echo "== fuzz_$target for ${seconds}s"
    if "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$build/fuzz/seeds/$target" >"$log" 2>&1; then
      grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$log" |
        tr '\n' ' ' || true
      grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -n 1 || true
      echo
    else
      echo "fuzz_$target FAILED; see $log"
      tail -n 40 "$log"
      touch "$build/fuzz/logs/$target.failed"
    fi
  } >"$result"
}

# Each target is one single-threaded process: as many run at once as there are processors (FUZZ_JOBS
# overrides), so every target still gets its SECONDS of a whole core.
jobs=${FUZZ_JOBS:-$(nproc)}
mkdir -p "$build/fuzz/logs"
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$target" &
  running=$((running + 1))
done
wait

failed=()
for target in "${targets[@]}"; do
  cat "$build/fuzz/logs/$target.result"
  [ ! -e "$build/fuzz/logs/$target.failed" ] || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]}"
  exit 1
fi
echo "fuzzing: no findings in ${#targets[@]} targets"
