#!/usr/bin/env bash
# Runs one libFuzzer target of build-fuzz/ for a fixed amount of its own CPU time rather than wall time,
# so a long run gives the same amount of fuzzing on a busy machine as on a quiet one.
#   scripts/fuzz-cpu.sh TARGET [CPU_SECONDS] [WORKERS]
# CPU_SECONDS (3600 by default) is the user + system time of all WORKERS (1 by default) together. The
# workers run at nice 19 on the target's corpus (build-fuzz/fuzz/corpus/TARGET/, shared, so each picks up
# what the others find) and its seeds. When the time is used up each gets SIGUSR1, on which libFuzzer
# stops and prints its final stats. Logs go to build-fuzz/fuzz/logs/TARGET.cpu-N.log; a summary line per
# worker goes to stdout. Exits non-zero if any worker stopped on a finding (its input is kept in
# build-fuzz/fuzz/artifacts/TARGET/). Build the targets first with `bash scripts/fuzz.sh 1 TARGET`.
# FUZZ_TIMEOUT (30 s by default) is libFuzzer's per-input timeout: a nice-19 worker on a machine busy with
# other work can be starved for seconds, so the 10 s used for the short runs is too tight here.
set -uo pipefail
cd "$(dirname "$0")/.."

target=${1:?usage: scripts/fuzz-cpu.sh TARGET [CPU_SECONDS] [WORKERS]}
limit=${2:-3600}
workers=${3:-1}
for n in "$limit" "$workers"; do
  if [[ ! $n =~ ^[1-9][0-9]{0,8}$ ]]; then
    echo "CPU_SECONDS and WORKERS are whole numbers from 1 to 999999999, not '$n'" >&2
    exit 2
  fi
done
build=build-fuzz
bin=$build/bin/fuzz_$target
if [ ! -x "$bin" ]; then
  echo "no $bin: build it first with bash scripts/fuzz.sh 1 $target" >&2
  exit 2
fi
corpus=$build/fuzz/corpus/$target
artifacts=$build/fuzz/artifacts/$target
mkdir -p "$corpus" "$artifacts" "$build/fuzz/logs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Interrupted (Ctrl-C, or a kill of this script): the workers are stopped as at the end of the time, so
# their stats are still printed. The trap is set before any worker starts, so an interrupt while they
# are being started stops the ones already running and starts no more. A worker that got the interrupt
# itself (Ctrl-C reaches the whole process group) exits with libFuzzer's 72, or, if it came before
# libFuzzer set up its handlers, dies of the signal (130 for SIGINT, 138 for SIGUSR1); none of these is a
# finding.
pids=()
interrupted=0
trap 'interrupted=1; [ ${#pids[@]} = 0 ] || kill -USR1 "${pids[@]}" 2>/dev/null' INT TERM
for ((w = 1; w <= workers && interrupted == 0; w++)); do
  nice -n 19 "$bin" -max_total_time=1000000 -timeout="${FUZZ_TIMEOUT:-30}" -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$build/fuzz/seeds/$target" \
    >"$build/fuzz/logs/$target.cpu-$w.log" 2>&1 &
  pids+=($!)
done

# CPU time of one process in seconds, from /proc (utime + stime, fields 14 and 15), or nothing once gone.
cpu_of() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  read -ra f <<<"${stat##*) }"
  echo $(((f[11] + f[12]) / $(getconf CLK_TCK)))
}

start=$(date +%s)
declare -A last
while :; do
  total=0 alive=0
  for pid in "${pids[@]}"; do
    c=$(cpu_of "$pid")
    if [ -n "$c" ] && kill -0 "$pid" 2>/dev/null; then
      last[$pid]=$c
      alive=1
    fi
    total=$((total + ${last[$pid]:-0}))
  done
  [ $alive = 1 ] && [ $interrupted = 0 ] || break
  if [ $total -ge "$limit" ]; then
    kill -USR1 "${pids[@]}" 2>/dev/null
    break
  fi
  sleep 5
done

status=0
for ((w = 1; w <= ${#pids[@]}; w++)); do
  pid=${pids[w - 1]}
  # An interrupt during wait makes it return early with the worker still running: wait again.
  while :; do
    wait "$pid"
    rc=$?
    kill -0 "$pid" 2>/dev/null || break
  done
  log=$build/fuzz/logs/$target.cpu-$w.log
  stats=$(grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
    "$log" | sed 's/^stat:://; s/: */=/' | tr '\n' ' ')
  echo "fuzz_$target worker $w: exit $rc, cpu ${last[$pid]:-0} s, wall $(($(date +%s) - start)) s; $stats"
  grep -E '^#[0-9]+' "$log" | tail -n 1
  if [ $rc = 72 ] || { [ $interrupted = 1 ] && [[ $rc =~ ^(0|130|138)$ ]]; }; then
    echo "fuzz_$target worker $w: interrupted before its time was used up"
    [ $status != 0 ] || status=130
  elif [ $rc != 0 ]; then
    echo "fuzz_$target worker $w FAILED; see $log"
    status=1
  fi
done
[ $interrupted = 0 ] || [ $status != 0 ] || status=130
echo "fuzz_$target: $total CPU-s in all; corpus $(find "$corpus" -type f | wc -l) files," \
  "$(find "$corpus" -type f -printf '%s\n' | awk '{ n += $1 } END { print n + 0 }') bytes"
exit $status
