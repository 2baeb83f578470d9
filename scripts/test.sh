#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite (what CI runs through
# .ci/run): the quick run (ctest -L unit) and then every other test of the
# build as shipped; the demo as the first command runs it; the suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer; an array job on a
# one-node Slurm cluster; the fuzz targets for a bounded time; and the
# Windows DLLs under Wine. A part this machine cannot run says why in a
# line beginning "skipped:", and the end lists every one of them again.
# docs/developing.md says what each part holds.
set -euo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
exec > >(tee "$log") 2>&1
scripts/setup-tests.sh

# ctest with a JUnit file beside the build, and then one "skipped:" line
# for each test it skipped, with the test's own reason: RUN names the run.
ctest_run() {
  local run=$1 build=$2
  shift 2
  ctest --test-dir "$build" --output-junit "$PWD/$build/Testing/junit.xml" "$@"
  python3 tests/support/ctest_skips.py "$build/Testing/junit.xml" "$run"
}

echo "== build and test as shipped"
scripts/build.sh default
echo "-- the quick run"
ctest_run "quick run" build -L unit -j 2
echo "-- everything else"
ctest_run "as shipped" build -LE unit --output-on-failure -j "$(nproc)"

echo "== the first command: the demo"
scripts/demo.sh >/dev/null
echo "ok: scripts/demo.sh"

echo "== build and test under ASan and UBSan"
scripts/build.sh sanitize
ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
LSAN_OPTIONS="suppressions=$PWD/tests/support/others_leaks.supp" \
UBSAN_OPTIONS=print_stacktrace=1 \
  ctest_run "under the sanitizers" build-sanitize --output-on-failure -j "$(nproc)"

echo "== farm chunks on a one-node Slurm"
BUILD_DIR=build scripts/test-farm.sh

echo "== fuzzing the scene-file parser and the settings load"
scripts/fuzz.sh

echo "== the module as 32-bit and 64-bit Windows DLLs, run under Wine"
NATIVE_BUILD_DIR=build scripts/test-windows.sh

echo "== done"
skipped=$(grep '^skipped: ' "$log" || true)
if [ -n "$skipped" ]; then
  echo "skipped on this machine (counted as skipped, not passed):"
  sed 's/^/  /' <<<"$skipped"
fi
