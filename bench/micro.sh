#!/bin/bash
# Microbenchmarks and the scaling table:
#   bash bench/micro.sh [REPETITIONS] [FILTER]   (default 5, all benchmarks)
# Builds qm_microbench in build/bench (QM_BENCH_BUILD overrides), runs it
# with TZ unset and writes two Markdown tables to $QM_BENCH_BUILD/micro.md:
# every benchmark's median CPU time per call with its coefficient of
# variation over the repetitions (CV; none with one repetition), and, for every family whose benchmarks
# report a "rows" counter, the growth of the cost per 10x of input rows next
# to what linear and n log n growth would give.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${QM_BENCH_BUILD:-build/bench}
repetitions=${1:-5}
filter=${2:-.}

# QM_MICROBENCH=PATH runs an already built qm_microbench (an earlier build,
# for before/after tables) instead of building this tree's.
binary=${QM_MICROBENCH:-}
if [ -z "$binary" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_TESTS=OFF \
    -DQM_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target qm_microbench >/dev/null
  binary=$build/bench/micro/qm_microbench
fi

json=${QM_MICRO_OUT:-$build/micro}.json
out=${QM_MICRO_OUT:-$build/micro}.md
(unset TZ; "$binary" --benchmark_filter="$filter" \
  --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
  --benchmark_format=json 2>/dev/null) >"$json"

awk '
  # Google Benchmark JSON, one key per line. A run is kept when it is the
  # median aggregate, or the single run when there are no repetitions; the
  # coefficient of variation comes from the "cv" aggregate.
  /^    \{/ { delete run; next }
  /^      "[a-z_]+": / {
    key = $1; gsub(/[":]/, "", key)
    value = $0; sub(/^[^:]*: /, "", value); sub(/,$/, "", value); gsub(/"/, "", value)
    run[key] = value
    next
  }
  /^    \}/ {
    base = run["run_name"]
    unit = run["time_unit"]
    scale = unit == "ns" ? 1e-3 : unit == "us" ? 1 : unit == "ms" ? 1e3 : 1e6
    kind = run["run_type"] == "aggregate" ? run["aggregate_name"] : "single"
    if (kind == "median" || kind == "single") {
      if (!(base in cpu)) order[++count] = base
      cpu[base] = run["cpu_time"] * scale
      if ("rows" in run) rows[base] = run["rows"] + 0
    } else if (kind == "cv") {
      cv[base] = sprintf("%.1f%%", run["cpu_time"] * 100)
    }
  }
  function nlogn(n) { return n * log(n) }
  END {
    print "| Benchmark | CPU time per call (median) | CV |"
    print "|---|---|---|"
    for (i = 1; i <= count; ++i) {
      b = order[i]
      t = cpu[b]
      shown = t >= 1000 ? sprintf("%.2f ms", t / 1000) : t >= 1 ? sprintf("%.2f µs", t) : sprintf("%.0f ns", t * 1000)
      printf "| %s | %s | %s |\n", b, shown, cv[b]
    }
    print ""
    print "| Family | rows → rows | CPU time → CPU time | growth per 10x | linear | n log n |"
    print "|---|---|---|---|---|---|"
    for (i = 1; i <= count; ++i) {
      b = order[i]
      if (!(b in rows)) continue
      family = b; sub(/\/.*/, "", family)
      if (family in last) {
        p = last[family]
        n1 = rows[p]; n2 = rows[b]
        if (n2 > n1 && n1 > 1) {
          decades = log(n2 / n1) / log(10)
          printf "| %s | %d → %d | %.1f µs → %.1f µs | %.1fx | 10x | %.1fx |\n",
            family, n1, n2, cpu[p], cpu[b], (cpu[b] / cpu[p]) ^ (1 / decades),
            (nlogn(n2) / nlogn(n1)) ^ (1 / decades)
        }
      }
      last[family] = b
    }
  }' "$json" | tee "$out"
echo "(tables written to $out)"
