#!/bin/bash
# The main job, end to end on one machine: sets up, builds, starts the
# stand-in video server qmsim on loopback with the bundled sample day, stores
# matching credentials for DVR 1 with the stand-in device manager qmdevmgr,
# runs qmrecinfo for camera 12 on 05.07.2013 and prints the result file. One
# line per stage says what is going on.
#
# Everything runs in a private IPC and network namespace, so the machine's
# real device-manager segment (key 4145) and port 4011 are never touched.
# Passwords go through QMSIM_PASSWORD and QMDEVMGR_PASSWORD, never through a
# command line.
#
# QM_SKIP_SETUP=1 skips the package check (see scripts/setup.sh);
# QM_DEMO_BUILD=DIR uses the programs of an existing build instead of
# building build/demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ "${1:-}" != "--inside" ]; then
  echo "== set-up: checking the packages (scripts/setup.sh)"
  bash scripts/setup.sh
  if [ -n "${QM_DEMO_BUILD:-}" ]; then
    echo "== build: using the programs in $QM_DEMO_BUILD"
  else
    echo "== build: qmrecinfo, qmsim and qmdevmgr in build/demo (minutes on a fresh machine)"
    cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_TESTS=OFF >/dev/null
    cmake --build build/demo -j"$(nproc 2>/dev/null || echo 2)" \
      --target qmrecinfo qmsim qmdevmgr >/dev/null
  fi
  if [ "$(id -u)" = 0 ]; then
    exec unshare -in bash "$0" --inside
  else
    exec unshare -rin bash "$0" --inside
  fi
fi

# Inside the private namespaces from here on.
ip link set lo up
bin=${QM_DEMO_BUILD:-build/demo}
qmsim=$bin/tools/qmsim/qmsim
qmdevmgr=$bin/tools/qmdevmgr/qmdevmgr
qmrecinfo=$bin/cmdline/qmrecinfo
# No blank in the result path: qmrecinfo would cut it there.
work=$(mktemp -d /tmp/qmdemo.XXXXXX)
sim=
trap '[ -z "$sim" ] || { kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; }; rm -rf "$work"' EXIT

# The sample day was recorded at a site four hours behind UTC, without
# daylight saving time (see the README on time zones).
export TZ=AST4
export QMSIM_PASSWORD=demo-pass QMDEVMGR_PASSWORD=demo-pass

sim_args=(--address 127.0.0.1 --port 4011 --scenario scenarios/sample_day.xml
          --user operator --port-file "$work/port")
if ! "$qmsim" --help | grep -q QMSIM_PASSWORD; then
  # A qmsim that does not read the variable yet takes the password as an option.
  sim_args+=(--password "$QMSIM_PASSWORD")
fi
echo "== serve: qmsim on 127.0.0.1:4011 with scenarios/sample_day.xml, user operator"
"$qmsim" "${sim_args[@]}" >"$work/qmsim.log" 2>&1 &
sim=$!
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done
if [ ! -s "$work/port" ]; then
  echo "demo: qmsim did not start:" >&2
  cat "$work/qmsim.log" >&2
  exit 1
fi

echo "== device manager: qmdevmgr stores user operator and its password for DVR 1"
"$qmdevmgr" --dvrid 1 --user operator

query=("$qmrecinfo" -dvrid=1 -ipa=127.0.0.1 -port=4011 -camid=12
       -sdate=05.07.2013 -filepath="$work/result.txt")
echo "== query: TZ=$TZ$(printf ' %q' "${query[@]}")"
status=0
"${query[@]}" || status=$?

echo "== qmsim served:"
cat "$work/qmsim.log"
echo "== qmrecinfo exit status: $status"
echo "== result file:"
cat "$work/result.txt"
exit "$status"
