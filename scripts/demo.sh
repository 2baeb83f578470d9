#!/usr/bin/env bash
# Sets up and builds only what the demo needs (the tavi command and the
# module), then runs the filter on the built-in sample render: writes the
# pictures to tavi-demo/ and prints the error against the supersampled
# ground truth before and after.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tavi
build/tavi demo -o tavi-demo "$@"
