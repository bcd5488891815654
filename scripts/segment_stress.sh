#!/bin/bash
# Stress check of the segment creation race. Each round removes the
# device-manager segment, then starts qmrecinfo and qmdevmgr at the same
# moment on the missing key, so that both try to create it; whenever qmdevmgr
# exits 0, the user name and password it stored must still be in the segment
# afterwards ("qmdevmgr --show"). A round where they are gone is a loss.
#
# Not part of the ctest run: a few hundred rounds take tens of seconds. The
# deterministic proof is the interface test that stores records between the
# create and the initialisation; this script only shows that nothing else is
# left. Everything runs in a private IPC and network namespace, so the
# machine's own segment (key 4145) is never touched, and under a time limit.
#
# Usage: scripts/segment_stress.sh [ROUNDS]        (default 300)
# Environment: QM_BUILD (build folder holding the two tools, default
# build/normal), QM_STRESS_TIMEOUT (seconds for the whole run, default 600).
# Exit status: 0 no loss; 1 a loss, or either tool failed to attach the
# segment; 2 bad arguments or tools missing; 124 time limit reached.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-300}
bin=${QM_BUILD:-build/normal}
recinfo=$bin/cmdline/qmrecinfo
devmgr=$bin/tools/qmdevmgr/qmdevmgr

if [ "${QM_STRESS_INSIDE:-}" != 1 ]; then
  case $rounds in ''|*[!0-9]*) echo "usage: $0 [ROUNDS]" >&2; exit 2 ;; esac
  if [ ! -x "$recinfo" ] || [ ! -x "$devmgr" ]; then
    echo "build qmrecinfo and qmdevmgr in $bin first" \
         "(cmake --build $bin --target qmrecinfo qmdevmgr)" >&2
    exit 2
  fi
  ns=(unshare -rin)
  [ "$(id -u)" = 0 ] && ns=(unshare -in)
  export QM_STRESS_INSIDE=1
  limit=${QM_STRESS_TIMEOUT:-600}
  rc=0
  timeout "$limit" "${ns[@]}" bash "$0" "$rounds" || rc=$?
  [ "$rc" = 124 ] && echo "time limit of $limit s reached" >&2
  exit "$rc"
fi

# Inside the private namespaces from here on. Loopback up, so that qmrecinfo
# meets a refused connection on a closed port: it reads the segment, fails the
# query with code 4 and ends; only its Init matters here.
ip link set lo up
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/gate"
exec 3<>"$work/gate"  # held open read-write: readers never block on open

user=operator
pass=stress-pass
dm_set=("$devmgr" --dvrid 1 --user "$user")
if "$devmgr" --help 2>&1 | grep -q QMDEVMGR_PASSWORD; then
  export QMDEVMGR_PASSWORD=$pass
else
  dm_set+=(--password "$pass")
fi
rec_args=(-dvrid=1 -ipa=127.0.0.1 -port=1 -camid=1 -sdate=01.01.2024
          "-filepath=$work/result")

# Starts "$@" in the background once the gate opens (one line on fd 3).
gated() { { read -r _ <"$work/gate"; exec "$@" 3>&-; } >/dev/null 2>&1 & }

losses=0 dm_failures=0 attach_failures=0 done_rounds=0
summary() {
  echo "rounds: $done_rounds, losses: $losses, qmdevmgr failures:" \
       "$dm_failures, qmrecinfo failures: $attach_failures"
}
trap 'summary; exit 124' TERM
for ((round = 1; round <= rounds; round++)); do
  "$devmgr" --remove >/dev/null
  # Alternate which one is forked first, then release both together.
  if ((round % 2)); then
    gated "$recinfo" "${rec_args[@]}"; rec_pid=$!
    gated "${dm_set[@]}"; dm_pid=$!
  else
    gated "${dm_set[@]}"; dm_pid=$!
    gated "$recinfo" "${rec_args[@]}"; rec_pid=$!
  fi
  printf 'go\ngo\n' >&3
  rec_rc=0; wait "$rec_pid" || rec_rc=$?
  dm_rc=0; wait "$dm_pid" || dm_rc=$?

  if [ "$rec_rc" != 4 ]; then
    attach_failures=$((attach_failures + 1))
    echo "round $round: qmrecinfo exited $rec_rc (expected 4)"
  fi
  if [ "$dm_rc" != 0 ]; then
    dm_failures=$((dm_failures + 1))
    echo "round $round: qmdevmgr exited $dm_rc"
  elif ! shown=$("$devmgr" --dvrid 1 --show) ||
       ! grep -qx "user name: $user" <<<"$shown" ||
       ! grep -qx 'password: (set)' <<<"$shown"; then
    losses=$((losses + 1))
    echo "round $round: credentials lost after qmdevmgr exited 0"
  fi
  done_rounds=$round
done

summary
((losses == 0 && dm_failures == 0 && attach_failures == 0))
