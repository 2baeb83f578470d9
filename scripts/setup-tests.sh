#!/usr/bin/env bash
# Installs, beside what scripts/setup.sh installs, what the whole test
# suite needs, with apt-get, only where it is missing; safe to run again:
# - GoogleTest and Google Benchmark; clang, its sanitizer runtime and
#   clang-format (the sanitizer build, fuzzing, the style check);
# - OpenImageIO's tools and Python bindings, which the tests judge
#   conversions with, and libtiff's tools (tiffcp), which make some of the
#   TIFF files they read;
# - SDL2, Dear ImGui and Mesa's OpenGL for the panel's window;
# - pybind11, numpy and pytest for the Python module, and GEGL;
# - dpkg-dev, lintian, groff, man-db, Python's venv, setuptools and wheel,
#   and mypy for the install, package and pip tests;
# - Blender and Xvfb for the Blender add-on.
# Slurm (scripts/setup-farm.sh) and the Windows cross compilers and Wine
# (scripts/setup-windows.sh) come with their own checks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/missing-packages.sh
install_missing setup-tests \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  clang libclang-rt-14-dev clang-format \
  openimageio-tools python3-openimageio libtiff-tools \
  libsdl2-dev libimgui-dev libgl-dev libegl-mesa0 libgl1-mesa-dri \
  python3-dev pybind11-dev python3-pybind11 python3-numpy python3-pytest \
  libgegl-dev gegl \
  dpkg-dev lintian groff-base man-db python3-venv python3-setuptools python3-wheel mypy \
  blender xvfb
