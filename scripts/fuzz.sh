#!/bin/bash
# Builds the libFuzzer targets of fuzz/ (clang, address and undefined
# behaviour sanitizers) and runs each for a bounded time, two at a time,
# starting from its seed corpus in fuzz/corpus/ (every seed, regression
# inputs included, runs first). Fails when any target reports a finding: a
# crash, a failed check, a sanitizer report, a leak, a timeout or running
# out of memory. The input that caused it is kept and named in the output.
#
#   scripts/fuzz.sh [-t SECONDS] [-j JOBS] [--merge] [TARGET...]
#     -t SECONDS  time per target (default 15)
#     -j JOBS     targets run at a time (default 2)
#     --merge     afterwards add the new inputs that reach new coverage to
#                 the target's seed folder (commit them)
#     TARGET      only these targets (default: all)
#
# Environment: QM_FUZZ_BUILD build folder (default build/fuzz),
# QM_SKIP_SETUP=1 skips the package installation.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=15
jobs=2
merge=0
only=()
while [ $# -gt 0 ]; do
  case "$1" in
    -t) seconds=$2; shift 2 ;;
    -j) jobs=$2; shift 2 ;;
    --merge) merge=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) only+=("$1"); shift ;;
  esac
done

bash scripts/setup.sh
build=${QM_FUZZ_BUILD:-build/fuzz}
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQM_BUILD_FUZZ=ON -DQM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target fuzzers >/dev/null

run=$build/run
rm -rf "$run"
mkdir -p "$run"

# run_target <target> <seed folder> <dictionary or ->: one bounded run,
# then the merge when asked; writes <run>/<target>/status.
run_target() {
  local target=$1 seeds=fuzz/corpus/$2 dict=$3 dir=$run/$1 rc=0
  local exe=$build/fuzz/$target
  mkdir -p "$dir/new" "$seeds"
  local args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
              -print_final_stats=1 -artifact_prefix="$dir/")
  [ "$dict" != - ] && args+=(-dict="fuzz/$dict")
  "$exe" "${args[@]}" "$dir/new" "$seeds" >"$dir/log" 2>&1 || rc=$?
  if [ "$rc" = 0 ] && [ "$merge" = 1 ]; then
    "$exe" -merge=1 -timeout=10 -rss_limit_mb=2048 "$seeds" "$dir/new" >"$dir/merge.log" 2>&1 || rc=$?
  fi
  echo "$rc" >"$dir/status"
}

targets=()
while read -r target seeds dict; do
  if [ ${#only[@]} -eq 0 ] || printf '%s\n' "${only[@]}" | grep -qx "$target"; then
    targets+=("$target $seeds $dict")
  fi
done <"$build/fuzz/fuzzers.txt"
[ ${#targets[@]} -gt 0 ] || { echo "fuzz.sh: no such target: ${only[*]}" >&2; exit 2; }

start=$(date +%s)
echo "== fuzzing ${#targets[@]} targets for ${seconds} s each, $jobs at a time"
running=0
for entry in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then wait -n || true; running=$((running - 1)); fi
  run_target $entry &
  running=$((running + 1))
done
wait

failed=0
printf '%-22s %-8s %10s %8s %6s %6s %7s\n' target result runs exec/s cov ft corpus
for entry in "${targets[@]}"; do
  set -- $entry
  dir=$run/$1
  status=$(cat "$dir/status" 2>/dev/null || echo 1)
  stat_of() { sed -n "s/^stat::$1: *//p" "$dir/log" | tail -1; }
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$dir/log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$done_line")
  corp=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$done_line")
  result=ok
  [ "$status" = 0 ] || { result=FINDING; failed=1; }
  printf '%-22s %-8s %10s %8s %6s %6s %7s\n' "$1" "$result" "$(stat_of number_of_executed_units)" \
    "$(stat_of average_exec_per_sec)" "${cov:--}" "${ft:--}" "${corp:--}"
done
for entry in "${targets[@]}"; do
  set -- $entry
  dir=$run/$1
  [ "$(cat "$dir/status" 2>/dev/null || echo 1)" = 0 ] && continue
  echo "== $1: finding (log $dir/log)"
  grep -E 'ERROR|check failed|SUMMARY|Test unit written|runtime error' "$dir/log" | head -20 || tail -20 "$dir/log"
  for input in "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* "$dir"/slow-unit-*; do
    [ -f "$input" ] && echo "   reproduce: $build/fuzz/$1 $input"
  done
done
echo "== fuzzing took $(( $(date +%s) - start )) s"
[ "$merge" = 1 ] && echo "== new coverage merged into fuzz/corpus/ (review and commit)"
exit "$failed"
