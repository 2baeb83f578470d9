#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 30) from the seed corpus in fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-30}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVI_FUZZ=ON -DTAVI_TESTS=OFF -DTAVI_TOOLS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target scene_file_fuzz settings_load_fuzz
. tests/support/result_lines.sh
for target in scene_file_fuzz:scene settings_load_fuzz:settings; do
  name="${target%%:*}"
  seeds="fuzz/corpus/${target##*:}"
  work="build-fuzz/corpus-${name}"
  mkdir -p "$work"
  echo "== fuzzing ${name} for ${seconds} s"
  if "build-fuzz/fuzz/${name}" -max_total_time="$seconds" -max_len=512 -print_final_stats=0 -artifact_prefix="build-fuzz/${name}-" \
       "$work" "$seeds" >"build-fuzz/${name}.log" 2>&1; then
    pass "${name}: ${seconds} s without a crash, a leak or undefined behaviour"
  else
    tail -n 40 "build-fuzz/${name}.log"
    fail "${name}: see build-fuzz/${name}.log"
  fi
done
finish
