#!/bin/bash
# Static checks of the project's own code (cmdline/, devmgr/, protocol/,
# client/, services/, tools/, fuzz/): clang-tidy with the checks chosen in
# .clang-tidy, then cppcheck, both from the compile commands of a clang
# configuration of their own (build/static, nothing is compiled). Fails on
# any finding.
#
#   scripts/static_checks.sh [-j JOBS]
#
# Environment: QM_SKIP_SETUP=1 skips the package installation.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

jobs=2
if [ "${1:-}" = -j ]; then jobs=$2; fi

# cppcheck groups: warnings, performance and portability ("style" is taste:
# loop-versus-algorithm and const-parameter advice). Left out, with reason:
#   passedByValue: interfaces pass texts and list pointers by value where
#   their callers rely on that signature (as performance-unnecessary-value-param
#   in .clang-tidy).
cppcheck_suppressions=(passedByValue missingIncludeSystem)

# Findings in code that another change is rewriting, to be fixed there:
# "<file>:<check>" (clang-tidy check or cppcheck id). Each is still printed
# on every run, marked PENDING, but does not fail it.
pending=()

bash scripts/setup.sh
build=build/static
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQM_BUILD_FUZZ=ON \
  -DQM_BUILD_TESTS=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
dirs=(cmdline devmgr protocol client services tools fuzz)
mapfile -t sources < <(git ls-files "${dirs[@]/%//*.cc}")
start=$(date +%s)

# One finding per line: "<file>:<line>: <check>: <message>".
findings=$build/static-findings.txt
: >"$findings"
echo "== clang-tidy: ${#sources[@]} files"
printf '%s\n' "${sources[@]}" | xargs -P "$jobs" -n 4 clang-tidy-14 -p "$build" --quiet 2>/dev/null |
  sed -n "s|^$root/||; s/^\([^:]*:[0-9]*\):[0-9]*: \(warning\|error\): \(.*\) \[\([^],]*\).*\]$/\1: \4: \3/p" |
  sort -u >>"$findings" || true
tidy_done=$(date +%s)

echo "== cppcheck"
filters=()
for d in "${dirs[@]}"; do filters+=(--file-filter="$d/*"); done
cppcheck --project="$build/compile_commands.json" --enable=warning,performance,portability \
  --inline-suppr -q -j"$jobs" --template='{file}:{line}: {id}: {message}' \
  "${cppcheck_suppressions[@]/#/--suppress=}" "${filters[@]}" 2>&1 |
  grep -E '^[^ ]+:[0-9]+: ' | sort -u >>"$findings" || true

failed=0
while IFS= read -r finding; do
  file=${finding%%:*}
  check=$(cut -d' ' -f2 <<<"$finding" | tr -d :)
  if printf '%s\n' "${pending[@]}" | grep -qxF "$file:$check"; then
    echo "PENDING $finding"
  else
    echo "FINDING $finding"
    failed=$((failed + 1))
  fi
done <"$findings"
end=$(date +%s)
echo "== $failed findings (clang-tidy $((tidy_done - start)) s, cppcheck $((end - tidy_done)) s)"
[ "$failed" = 0 ]
