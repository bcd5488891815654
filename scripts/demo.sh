#!/bin/bash
# The main job, end to end on one machine: sets up, builds, starts the
# stand-in video server qmsim on loopback with the bundled sample day, stores
# matching credentials for DVR 1 with the stand-in device manager qmdevmgr,
# runs qmrecinfo for camera 12 on 05.07.2013 and prints the result file.
#
# Everything runs in a private IPC and network namespace, so the machine's
# real device-manager segment (key 4145) and port 4011 are never touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ "${1:-}" != "--inside" ]; then
  bash scripts/setup.sh
  cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_TESTS=OFF >/dev/null
  cmake --build build/demo -j"$(nproc 2>/dev/null || echo 2)" --target qmrecinfo qmsim qmdevmgr >/dev/null
  if [ "$(id -u)" = 0 ]; then
    exec unshare -in bash "$0" --inside
  else
    exec unshare -rin bash "$0" --inside
  fi
fi

# Inside the private namespaces from here on.
ip link set lo up
bin=${QM_DEMO_BUILD:-build/demo}
work=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT

# The sample day was recorded at a site four hours behind UTC.
export TZ=AST4

"$bin/tools/qmsim/qmsim" --address 127.0.0.1 --port 4011 \
  --scenario scenarios/sample_day.xml --user operator --password 'demo-pass' \
  --port-file "$work/port" >"$work/qmsim.log" 2>&1 &
sim=$!
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done

"$bin/tools/qmdevmgr/qmdevmgr" --dvrid 1 --user operator --password 'demo-pass' >/dev/null

status=0
"$bin/cmdline/qmrecinfo" -dvrid=1 -ipa=127.0.0.1 -port=4011 -camid=12 \
  -sdate=05.07.2013 -filepath="$work/result.txt" || status=$?

echo "== qmsim served:"
cat "$work/qmsim.log"
echo "== qmrecinfo exit status: $status"
echo "== result file:"
cat "$work/result.txt"
exit "$status"
