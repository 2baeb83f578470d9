#!/usr/bin/env bash
# Sets up, builds, and runs the filter on the built-in sample frame.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=build scripts/build.sh
ctest --test-dir build --output-on-failure -R '^Process\.'
