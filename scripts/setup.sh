#!/usr/bin/env bash
# Installs what building the tavi command and the module needs, with
# apt-get, only where it is missing: the compiler, CMake, OpenImageIO (and
# the image libraries its helpers here use directly) and CLI11. Safe to run
# again. The test suite needs more: scripts/setup-tests.sh.
set -euo pipefail
. "$(dirname "$0")/missing-packages.sh"
install_missing setup \
  g++ cmake make pkg-config \
  libopenimageio-dev libpng-dev libtiff-dev zlib1g-dev libcli11-dev
