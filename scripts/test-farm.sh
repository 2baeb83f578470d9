#!/usr/bin/env bash
# The farm's array job on a real one-node Slurm started on this machine
# (tests/farm/array_job_test.sh), after installing Slurm and munge where
# missing (scripts/setup-farm.sh). Where they cannot be installed or run
# here, one line says why and the check counts as skipped.
#
#   BUILD_DIR=build scripts/test-farm.sh
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
. tests/support/result_lines.sh
if ! why=$(scripts/setup-farm.sh 2>&1 >/dev/null); then
  skip "the array job on a one-node Slurm: ${why#setup-farm: }"
  finish
  exit 0
fi
exec tests/farm/array_job_test.sh "$build/tavi"
