#!/usr/bin/env bash
# Sets up, builds, and runs the filter on the built-in sample render:
# writes the pictures to tavi-demo/ and prints the error against the
# supersampled ground truth before and after.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=build scripts/build.sh
build/tavi demo -o tavi-demo "$@"
