#!/bin/bash
# Installs the build into a fresh prefix, builds the consumer example against
# the installed CMake package (and once more with the pkg-config file's
# flags), and runs both against the installed qmsim serving the installed
# sample day. Fails when an installed header, the library, the package files
# or the sample scenario are missing or broken, or the example's output
# differs from the sample day's cameras and intervals.
#
# Usage: consumer_test.sh BUILD_DIR SOURCE_DIR CXX_COMPILER LIBDIR
# (LIBDIR: the library folder below the prefix, CMAKE_INSTALL_LIBDIR)
set -euo pipefail
build=$1 source=$2 cxx=$3 libdir=$4

work=$(mktemp -d "${TMPDIR:-/tmp}/qm_install_test.XXXXXX")
sim=
cleanup() {
  if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install"; }

for file in bin/qmrecinfo bin/qmctl bin/qmsim bin/qmdevmgr "$libdir/libqmclient.a" \
            "$libdir/cmake/qmrecinfo/qmrecinfoConfig.cmake" \
            "$libdir/cmake/qmrecinfo/qmrecinfoConfigVersion.cmake" \
            "$libdir/pkgconfig/qmrecinfo.pc" \
            share/qmrecinfo/scenarios/sample_day.xml \
            share/man/man1/qmrecinfo.1.gz share/man/man1/qmctl.1.gz \
            share/doc/qmrecinfo/copyright; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
# Every installed header, compiled from the prefix alone: a public header
# that includes one that is not installed fails here.
(cd "$prefix/include" && find qmrecinfo -name '*.h' | sort |
   sed 's/.*/#include <&>/') >"$work/all_headers.cc"
# The example, built with find_package against the prefix only.
cmake -S "$source/examples" -B "$work/example" -DCMAKE_CXX_COMPILER="$cxx" \
      -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
      >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log" >&2; fail "configuring the example"; }
cmake --build "$work/example" >"$work/build.log" 2>&1 ||
  { cat "$work/build.log" >&2; fail "building the example with find_package"; }

# The same program built with the pkg-config file's flags.
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
cflags=$(pkg-config --cflags qmrecinfo) || fail "pkg-config --cflags qmrecinfo"
libs=$(pkg-config --libs qmrecinfo) || fail "pkg-config --libs qmrecinfo"
read -r -a pc_cflags <<<"$cflags"
read -r -a pc_libs <<<"$libs"
"$cxx" -std=c++17 "${pc_cflags[@]}" -o "$work/recording_day_pc" \
       "$source/examples/recording_day.cc" "${pc_libs[@]}" 2>"$work/pc.log" ||
  { cat "$work/pc.log" >&2; fail "building the example with pkg-config"; }
"$cxx" -std=c++17 -fsyntax-only "${pc_cflags[@]}" "$work/all_headers.cc" 2>"$work/headers.log" ||
  { cat "$work/headers.log" >&2; fail "compiling every installed header"; }

# The installed qmsim with the installed sample day, on a free port.
export QMSIM_PASSWORD=install-test-pass
"$prefix/bin/qmsim" --scenario "$prefix/share/qmrecinfo/scenarios/sample_day.xml" \
    --address 127.0.0.1 --port 0 --port-file "$work/port" --user operator \
    >"$work/qmsim.log" 2>&1 &
sim=$!
for _ in $(seq 1 400); do
  [ -s "$work/port" ] && break
  kill -0 "$sim" 2>/dev/null || break
  sleep 0.05
done
[ -s "$work/port" ] || { cat "$work/qmsim.log" >&2; fail "qmsim did not start"; }
port=$(head -n 1 "$work/port")

# The sample day was recorded four hours behind UTC without summer time.
for program in "$work/example/recording_day" "$work/recording_day_pc"; do
  status=0
  TZ=AST4 QM_USER=operator QM_PASSWORD=$QMSIM_PASSWORD \
    "$program" 127.0.0.1 "$port" 12 05.07.2013 >"$work/out.txt" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || ! diff -u "$source/tests/install/recording_day.expected" "$work/out.txt"; then
    cat "$work/qmsim.log" >&2
    fail "$(basename "$program") printed the above (exit status $status)"
  fi
done
echo "PASS: installed package built and ran the example (find_package and pkg-config)"
