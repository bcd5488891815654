#!/bin/bash
# Runs the whole test suite of the normal build under valgrind memcheck:
# every CTest test on its own (tests of private namespaces inside their
# namespace), the programs they start (qmrecinfo, qmsim, qmdevmgr) traced
# too. Fails when a test fails or valgrind reports an invalid access, a use
# of uninitialised memory or a leak (definitely or indirectly lost) in any
# of those processes. Logs: <build>/valgrind/<test number>.*.
#
#   scripts/valgrind.sh [-j JOBS] [-R REGEX]
#     -j JOBS   tests run at a time (default 2)
#     -R REGEX  only tests whose names match
#
# Environment: QM_VALGRIND_BUILD build folder (default build/normal),
# QM_TEST_TIME_SCALE time multiplier (default 10): tests with deadlines of
# their own stretch them by it, and each test may run 120 s times it.
# QM_SKIP_SETUP=1 skips the package installation.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

jobs=2
regex=""
while [ $# -gt 0 ]; do
  case "$1" in
    -j) jobs=$2; shift 2 ;;
    -R) regex=$2; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "valgrind.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

# Tests left out, each with its reason (a regular expression on the name).
excluded=(
)

bash scripts/setup.sh
build=${QM_VALGRIND_BUILD:-build/normal}
export QM_TEST_TIME_SCALE=${QM_TEST_TIME_SCALE:-10}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

logs=$root/$build/valgrind
rm -rf "$logs"
mkdir -p "$logs"
chmod 1777 "$logs"  # a test runs qmrecinfo as another user, whose log goes here too

# Reports that are not faults of the code under test:
# - glibc's AVX2 wmemcmp compares whole 32-byte blocks that may reach past the
#   end of a heap block (never past its page); valgrind 3.19 has no
#   replacement for it, so comparing two wide strings is reported;
# - mount with no file-system type, which bind and propagation changes take,
#   is reported as a null type pointer.
cat >"$logs/suppressions" <<'EOF'
{
   glibc-avx2-wmemcmp-reads-whole-blocks
   Memcheck:Addr32
   fun:__wmemcmp_avx2_movbe
}
{
   mount-without-file-system-type
   Memcheck:Param
   mount(type)
   fun:mount
}
EOF
start=$(date +%s)

# "<number>\t<name>\t<command>" per test, from CTest's own list.
(cd "$build" && ctest -N -V ${regex:+-R "$regex"}) | awk '
  /^[0-9]+: Test command: / { n = $1; sub(":", "", n); sub(/^[0-9]+: Test command: /, ""); cmd[n] = $0 }
  /^ *Test +#[0-9]+: / { n = $2; sub("#", "", n); sub(":", "", n); name = $0
                         sub(/^ *Test +#[0-9]+: /, "", name); sub(/  # GetParam.*/, "", name)
                         printf "%s\t%s\t%s\n", n, name, cmd[n] }' >"$logs/tests.tsv"

run_test() {
  local number=$1 name=$2 command=$3 entry
  for entry in "${excluded[@]}"; do
    if [[ "$name" =~ ${entry%%|*} ]]; then
      echo "excluded: ${entry#*|}" >"$logs/$number.skipped"
      return
    fi
  done
  local -a cmd prefix=()
  eval "cmd=($command)"
  if [[ "${cmd[0]}" == */netns_run.sh ]]; then prefix=("${cmd[0]}"); cmd=("${cmd[@]:1}"); fi
  local rc=0
  timeout $((120 * QM_TEST_TIME_SCALE)) "${prefix[@]}" valgrind --tool=memcheck --quiet --vgdb=no \
    --trace-children=yes --child-silent-after-fork=yes --error-exitcode=99 \
    --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --show-leak-kinds=definite,indirect --num-callers=30 --suppressions="$logs/suppressions" \
    --log-file="$logs/$number.%p.log" "${cmd[@]}" >"$logs/$number.out" 2>&1 || rc=$?
  echo "$rc" >"$logs/$number.status"
}

total=$(wc -l <"$logs/tests.tsv")
echo "== valgrind memcheck: $total tests, $jobs at a time (time scale $QM_TEST_TIME_SCALE)"
while IFS=$'\t' read -r number name command; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_test "$number" "$name" "$command" </dev/null &
done <"$logs/tests.tsv"
wait

failed=0
while IFS=$'\t' read -r number name command; do
  if [ -f "$logs/$number.skipped" ]; then
    echo "SKIP  $name ($(cat "$logs/$number.skipped"))"
    continue
  fi
  status=$(cat "$logs/$number.status" 2>/dev/null || echo missing)
  # Any process with an error or a leak, even one whose exit status a test ignores.
  reports=$(grep -l -E 'ERROR SUMMARY: [1-9]|definitely lost: [1-9]|indirectly lost: [1-9]|Invalid (read|write|free)|uninitialised' \
              "$logs/$number".*.log 2>/dev/null || true)
  if [ "$status" != 0 ] || [ -n "$reports" ]; then
    failed=$((failed + 1))
    echo "FAIL  $name (exit $status) ${reports:-see $logs/$number.out}"
  fi
done <"$logs/tests.tsv"
echo "== $((total - failed)) passed, $failed failed under valgrind in $(( $(date +%s) - start )) s"
[ "$failed" = 0 ]
