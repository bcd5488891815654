#!/bin/bash
# Builds the Debian package with CPack and checks it: the control fields and
# file list (dpkg-deb --info/--contents), the programs and manual pages of the
# package extracted into a temporary folder (qmrecinfo -?, the others' --help,
# man -l), and lintian (no error and no warning; tags that do not apply are
# overridden in cmake/lintian-overrides). Prints the package's path last.
#
# The build (build/package, or QM_PACKAGE_BUILD=DIR) is configured for the
# prefix /usr, so the library goes to the multiarch folder, with Debian's
# hardening flags. QM_SKIP_SETUP=1 skips the package check (scripts/setup.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

echo "== set-up: checking the packages (scripts/setup.sh)"
bash scripts/setup.sh

build=${QM_PACKAGE_BUILD:-build/package}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
echo "== build: $build (prefix /usr, Debian build flags)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_TESTS=OFF \
      -DQM_SANITIZE=OFF -DCMAKE_INSTALL_PREFIX=/usr \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" >/dev/null

echo "== package: cpack -G DEB"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/*.deb)
[ "${#debs[@]}" = 1 ] && [ -f "${debs[0]}" ] || { echo "package: no single .deb in $build" >&2; exit 1; }
deb=${debs[0]}

work=$(mktemp -d "${TMPDIR:-/tmp}/qm_package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "package: FAIL: $*" >&2; failed=1; }

echo "== dpkg-deb --info $deb"
dpkg-deb --info "$deb" | tee "$work/info"
version=$(sed -n 's/^project(qmrecinfo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for field in "Package: qmrecinfo" "Version: $version-1" \
             "Maintainer: qmrecinfo maintainers <" "Section: net" \
             "Depends: .*libtinyxml" "Description: ."; do
  grep -Eq "^ $field" "$work/info" || fail "control field missing: $field"
done

echo "== dpkg-deb --contents $deb"
dpkg-deb --contents "$deb" | awk '{print $6}' | tee "$work/contents"
programs=(qmrecinfo qmctl qmsim qmdevmgr)
expected=(./usr/lib/*/libqmclient.a ./usr/lib/*/pkgconfig/qmrecinfo.pc
          ./usr/lib/*/cmake/qmrecinfo/qmrecinfoConfig.cmake
          ./usr/include/qmrecinfo/client/server.h
          ./usr/include/qmrecinfo/protocol/qmlinux.h
          ./usr/share/doc/qmrecinfo/copyright
          ./usr/share/doc/qmrecinfo/changelog.Debian.gz
          ./usr/share/qmrecinfo/scenarios/sample_day.xml)
for program in "${programs[@]}"; do
  expected+=("./usr/bin/$program" "./usr/share/man/man1/$program.1.gz")
done
for pattern in "${expected[@]}"; do
  grep -qx -- "$(sed 's/[.]/[.]/g; s/\*/[^\/]*/g' <<<"$pattern")" "$work/contents" ||
    fail "not in the package: $pattern"
done

echo "== extracted: the programs and their manual pages"
dpkg-deb -x "$deb" "$work/root"
bin=$work/root/usr/bin
"$bin/qmrecinfo" '-?' >"$work/usage" || fail "qmrecinfo -? exited with $?"
grep -q '^Syntax:' "$work/usage" || fail "qmrecinfo -? printed no usage"
for program in qmctl qmsim qmdevmgr; do
  "$bin/$program" --help >"$work/help" || fail "$program --help exited with $?"
  grep -q "^Usage: $program" "$work/help" || fail "$program --help printed no usage"
done
for program in "${programs[@]}"; do
  page=$work/root/usr/share/man/man1/$program.1.gz
  MANWIDTH=80 man -l "$page" >"$work/page" 2>"$work/man.err" || fail "man -l $program.1.gz"
  [ ! -s "$work/man.err" ] || fail "man -l $program.1.gz: $(cat "$work/man.err")"
  grep -q '^NAME' "$work/page" || fail "$program(1) shows no NAME section"
  echo "$program: $(grep -A1 '^NAME' "$work/page" | tail -n 1 | sed 's/^ *//')"
done

echo "== lintian"
lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"

[ "$failed" = 0 ] || exit 1
echo "== package: $deb"
