#!/bin/bash
# Installs everything the build, the tests and the demo need on a Debian
# machine. Safe to run again: apt-get only installs what is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libtinyxml-dev libboost-dev libcli11-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  iproute2 util-linux
  clang-14 libclang-rt-14-dev clang-tidy-14 cppcheck valgrind
)

if [ "$(id -u)" = 0 ]; then
  sudo=""
else
  sudo="sudo"
fi

if [ "${QM_SKIP_SETUP:-}" = 1 ]; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
