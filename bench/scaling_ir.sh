#!/bin/bash
# Instruction counts per call as the input grows, for the families of the
# scaling table: valgrind's callgrind counts the instructions executed inside
# the measured function during one iteration of each benchmark, so the growth
# factors are free of cache and load effects (time per call also grows with
# the working set once it leaves the caches).
#   bash bench/scaling_ir.sh
# Uses the qm_microbench of build/bench (QM_BENCH_BUILD overrides; build it
# with bench/micro.sh first) and writes $QM_BENCH_BUILD/scaling_ir.md.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${QM_BENCH_BUILD:-build/bench}
binary=${QM_MICROBENCH:-$build/bench/micro/qm_microbench}
out=$build/scaling_ir.md
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# family|function whose instructions count|arguments
families=(
  "BM_ParseRecordingInfo|QM::Server::RspPkt_ParseGetRecordingInfo*|10 1440 14400"
  "BM_ParseMotionInfo|QM::Server::RspPkt_ParseGetMotionInfo*|10 1440 14400"
  "BM_TinyXmlFloorRecordingInfo|TiXmlDocument::Parse*|10 1440 14400"
  "BM_MakeRecTimes|QM::Server::MakeRecTimes*|1 10 100"
)

{
  echo "| Family | argument | instructions per call | growth per 10x |"
  echo "|---|---|---|---|"
  for entry in "${families[@]}"; do
    IFS='|' read -r family function args <<<"$entry"
    previous_arg=""
    previous_ir=""
    for arg in $args; do
      (unset TZ; valgrind --tool=callgrind --callgrind-out-file="$work/cg" \
        --toggle-collect="$function" "$binary" --benchmark_filter="^$family/$arg\$" \
        --benchmark_min_time=0.000000001 --benchmark_format=json \
        >"$work/json" 2>/dev/null)
      iterations=$(sed -n 's/^ *"iterations": \([0-9]*\),/\1/p' "$work/json" | head -1)
      total=$(sed -n 's/^summary: //p' "$work/cg")
      ir=$((total / iterations))
      growth=""
      if [ -n "$previous_ir" ]; then
        growth=$(awk -v a="$ir" -v b="$previous_ir" -v n2="$arg" -v n1="$previous_arg" \
          'BEGIN { printf "%.2fx", (a / b) ^ (1 / (log(n2 / n1) / log(10))) }')
      fi
      echo "| $family | $arg | $ir | $growth |"
      previous_arg=$arg
      previous_ir=$ir
    done
  done
} | tee "$out"
echo "(table written to $out)"
