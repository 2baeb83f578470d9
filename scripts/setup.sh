#!/usr/bin/env bash
# Installs what building and testing Tavi needs, with apt-get, only where it
# is missing. Safe to run again.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libopenimageio-dev openimageio-tools libpng-dev libtiff-dev zlib1g-dev libcli11-dev
  clang libclang-rt-14-dev
  libsdl2-dev libimgui-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
  python3-dev pybind11-dev python3-pybind11 python3-numpy python3-pytest python3-openimageio
  libgegl-dev gegl
  dpkg-dev lintian groff-base man-db python3-venv python3-setuptools python3-wheel mypy
  blender xvfb
)

. "$(dirname "$0")/missing-packages.sh"
mapfile -t missing < <(missing_packages "${packages[@]}")

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all build dependencies present"
