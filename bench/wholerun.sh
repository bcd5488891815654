#!/bin/bash
# Whole runs of qmrecinfo against the bare minimum, for the realistic day
# (31 intervals, 93 files, 200 motions) and the 10x day (31 intervals, 856
# files, 2,000 motions):
#   bash bench/wholerun.sh [RUNS]        (default 200 counted rounds per day)
#   bash bench/wholerun.sh --callgrind   (instruction counts instead of times)
# Builds the benchmark targets in build/bench (QM_BENCH_BUILD overrides),
# then, in a private IPC and network namespace, starts qmsim on loopback with
# the generated day, stores the credentials with qmdevmgr, records the three
# request frames of one qmrecinfo run and times qmrecinfo, the parse floor
# and the bare client side by side with qm_wholerun. TZ is unset, as on a
# real recorder. Prints one Markdown table per day and writes them to
# $QM_BENCH_BUILD/wholerun.md. A 100x day (8,560 files, 20,000 motions) is
# timed too, with a tenth of the rounds (at least 5). QM_BENCH_BEFORE=PATH
# adds another qmrecinfo binary (an earlier build) to every comparison.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${QM_BENCH_BUILD:-build/bench}

if [ "${1:-}" != "--inside" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_TESTS=OFF \
    -DQM_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target qmrecinfo qmsim qmdevmgr qm_bench_day \
    qm_bare_client qm_parse_floor qm_wholerun >/dev/null
  if [ "$(id -u)" = 0 ]; then
    exec unshare -in bash "$0" --inside "$@"
  else
    exec unshare -rin bash "$0" --inside "$@"
  fi
fi
shift
runs=${1:-200}
callgrind=0
if [ "$runs" = --callgrind ]; then
  callgrind=1
  runs=1
fi

# Inside the private namespaces from here on.
ip link set lo up
unset TZ
work=$(mktemp -d)
sim=""
stop_sim() {
  if [ -n "$sim" ]; then
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    sim=""
  fi
}
trap 'stop_sim; rm -rf "$work"' EXIT

qmsim=$build/tools/qmsim/qmsim
qmrecinfo=$build/cmdline/qmrecinfo
bench_bin=$build/bench/wholerun
user=bench
password=bench-pass

# qmsim takes the password from QMSIM_PASSWORD where it knows that variable,
# otherwise from --password.
sim_password_args=()
if ! "$qmsim" --help 2>&1 | grep -q QMSIM_PASSWORD; then
  sim_password_args=(--password "$password")
fi

# Starts qmsim on an ephemeral port with the scenario $1 and extra options;
# sets $sim and $port.
start_sim() {
  local scenario=$1
  shift
  rm -f "$work/port"
  QMSIM_PASSWORD=$password "$qmsim" --address 127.0.0.1 --port 0 \
    --port-file "$work/port" --scenario "$scenario" --user "$user" \
    "${sim_password_args[@]}" "$@" >>"$work/qmsim.log" 2>&1 &
  sim=$!
  for _ in $(seq 1 200); do [ -s "$work/port" ] && break; sleep 0.05; done
  port=$(cat "$work/port")
}

"$build/tools/qmdevmgr/qmdevmgr" --dvrid 1 --user "$user" --password "$password" >/dev/null

out=$build/wholerun.md
: >"$out"
before=${QM_BENCH_BEFORE:-}
for day in "1x 93 200" "10x 856 2000" "100x 8560 20000"; do
  read -r name files motions <<<"$day"
  day_runs=$runs
  if [ "$name" = 100x ]; then
    day_runs=$((runs / 10 < 5 ? 5 : runs / 10))
  fi
  scenario=$work/day-$name.xml
  "$bench_bin/qm_bench_day" "$files" "$motions" >"$scenario"

  # One recorded run: the request frames for the baselines and the result
  # file every timed run must reproduce.
  rec=$work/requests-$name
  mkdir -p "$rec"
  start_sim "$scenario" --record "$rec"
  recinfo=("$qmrecinfo" -dvrid=1 -ipa=127.0.0.1 -port="$port" -camid=12
           -sdate=05.07.2013 -filepath="$work/result.txt")
  "${recinfo[@]}" >/dev/null
  cp "$work/result.txt" "$work/expected-$name.txt"
  stop_sim
  requests=("$rec/request-1.bin" "$rec/request-2.bin" "$rec/request-3.bin")

  start_sim "$scenario"
  if [ "$callgrind" = 1 ]; then
    # Instructions executed by each program (valgrind's callgrind): the same
    # count on a loaded machine and an idle one, for before/after comparisons.
    count_ir() {
      valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$@" \
        >/dev/null 2>&1
      sed -n 's/^summary: //p' "$work/cg.out"
    }
    floor_ir=$(count_ir "$bench_bin/qm_parse_floor" "$port" "${requests[@]}")
    recinfo_ir=$(count_ir "$qmrecinfo" -dvrid=1 -ipa=127.0.0.1 -port="$port" \
      -camid=12 -sdate=05.07.2013 -filepath="$work/result.txt")
    cp "$work/cg.out" "$build/callgrind-qmrecinfo-$name.out"
    ratio() { awk -v a="$1" -v b="$floor_ir" 'BEGIN { printf "%.2f", a / b }'; }
    line="$name day: parse floor $floor_ir, qmrecinfo $recinfo_ir ($(ratio "$recinfo_ir")x)"
    if [ -n "$before" ]; then
      before_ir=$(count_ir "$before" -dvrid=1 -ipa=127.0.0.1 -port="$port" \
        -camid=12 -sdate=05.07.2013 -filepath="$work/result.txt")
      line="$line, qmrecinfo before $before_ir ($(ratio "$before_ir")x)"
    fi
    echo "$line instructions" | tee -a "$out"
    stop_sim
    continue
  fi
  recinfo=("$qmrecinfo" -dvrid=1 -ipa=127.0.0.1 -port="$port" -camid=12
           -sdate=05.07.2013 -filepath="$work/result.txt")
  extra=()
  if [ -n "$before" ]; then
    extra=(-- "qmrecinfo before" "$before" -dvrid=1 -ipa=127.0.0.1 -port="$port"
           -camid=12 -sdate=05.07.2013 -filepath="$work/result-before.txt")
  fi
  {
    echo "### $name day: 31 intervals, $files files, $motions motions ($(sed -n 's/^LISTCOUNT=//p' "$work/expected-$name.txt") result rows)"
    echo
    "$bench_bin/qm_wholerun" "$day_runs" \
      -- "parse floor" "$bench_bin/qm_parse_floor" "$port" "${requests[@]}" \
      -- "bare client" "$bench_bin/qm_bare_client" "$port" "${requests[@]}" \
      -- "qmrecinfo" "${recinfo[@]}" "${extra[@]}"
    echo
  } | tee -a "$out"
  stop_sim
  for result in "$work/result.txt" ${before:+"$work/result-before.txt"}; do
    cmp -s "$result" "$work/expected-$name.txt" ||
      { echo "wholerun: $result differs from the recorded run's" >&2; exit 1; }
  done
done
echo "(tables written to $out)"
