#!/usr/bin/env bash
# Configures and builds one of the builds CMakePresets.json names (default:
# "default", into build/; "sanitize" into build-sanitize/). Extra arguments
# go to cmake's configure step.
#
#   scripts/build.sh [PRESET] [-DOPTION=VALUE ...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
if (($# > 0)) && [[ $1 != -* ]]; then
  preset=$1
  shift
fi
cmake --preset "$preset" "$@" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
