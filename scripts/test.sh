#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: once as shipped, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, then an array job on a
# one-node Slurm cluster, then the fuzz targets for a bounded time, then the
# Windows DLLs under Wine. ctest runs the library's routes too: the Python
# module's pytest suite (tests/lib/python, test "python_module"), the GEGL
# operation run by the gegl program, and the Blender add-on run by Blender
# (tests/lib/blender, test "blender_addon"; skipped, saying why, where
# Blender cannot render); and, as shipped, what installing gives
# (tests/install: cmake --install, the manual page, the Debian package and
# an offline pip install).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-tests.sh

echo "== build and test"
BUILD_DIR=build scripts/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"

echo "== build and test under ASan and UBSan"
BUILD_DIR=build-sanitize scripts/build.sh -DTAVI_SANITIZE=ON
ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"

echo "== farm chunks on a one-node Slurm"
BUILD_DIR=build scripts/test-farm.sh

echo "== fuzzing the scene-file parser and the settings load"
scripts/fuzz.sh

echo "== the module as 32-bit and 64-bit Windows DLLs, run under Wine"
NATIVE_BUILD_DIR=build scripts/test-windows.sh
