#!/bin/bash
# Installs the Debian packages that the build, the tests and the demo need.
#
# It asks dpkg which of them are missing and calls apt-get (through sudo when
# not run as root) only for those: on a machine that has every package it
# installs nothing and needs neither root nor sudo, so it runs as any user.
#
# QM_SKIP_SETUP=1 skips this script altogether (scripts/demo.sh and
# scripts/test.sh call it first): for machines whose packages are managed
# some other way, or a CI image prepared in advance.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libtinyxml-dev libboost-dev libcli11-dev nlohmann-json3-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  iproute2 util-linux tzdata
)

if [ "${QM_SKIP_SETUP:-}" = 1 ]; then
  echo "setup: skipped (QM_SKIP_SETUP=1)"
  exit 0
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ "${#missing[@]}" = 0 ]; then
  echo "setup: every package is installed"
  exit 0
fi

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" = 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "setup: missing packages (${missing[*]}) and no sudo: install them as root," >&2
  echo "setup: or set QM_SKIP_SETUP=1 if they are provided some other way" >&2
  exit 1
fi
# sudo resets the environment, so the front end is passed on its command line.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
