#!/usr/bin/env bash
# The module as a 32-bit Windows DLL: installs the cross compiler and Wine
# if missing, cross-builds into build-win32, checks the DLL's export table,
# runs the sample cases under Wine and compares every output byte for byte
# with the native build's (NATIVE_BUILD_DIR, default build).
#
# Wine runs a 32-bit program through its 32-bit loader (WINE32_LOADER, by
# default the one the wine32 package installs). A kernel built or booted
# without 32-bit support refuses to start it ("Exec format error"); there
# the Wine run is skipped with one line saying so, and the script passes on
# the cross build and the export table alone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win="$root/${WIN_BUILD_DIR:-build-win32}"
native="$root/${NATIVE_BUILD_DIR:-build}"

scripts/setup-windows.sh

. tests/support/result_lines.sh

# Prints why this machine cannot run Wine's 32-bit loader, or nothing when
# it can (or when the loader fails for another reason, which the Wine run
# then reports as a failure).
cannot_run_32_bit() {
  local loader="${WINE32_LOADER:-}"
  if [ -z "$loader" ]; then
    loader=$(dpkg -L wine32:i386 2>/dev/null | while read -r file; do
      if [[ "$file" == */wine && -f "$file" ]]; then echo "$file" && break; fi
    done)
    loader="${loader:-/usr/lib/wine/wine}"
  fi
  local output status=0
  output=$("$loader" --version 2>&1) || status=$?
  if ((status == 126)) || [[ "$output" == *"Exec format error"* ]]; then
    echo "this machine cannot run 32-bit programs ($loader: Exec format error)"
  fi
}

echo "== cross build for 32-bit Windows"
cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$win" -j "$(nproc)"

echo "== export table of tavi56.p"
if tests/windows/check-exports.sh "$win/tavi56.p" "$win/libtavi56.dll.a" src/tavi56/exports.list; then
  pass "export table: name, ordinals, data, imports"
else
  fail "export table: name, ordinals, data, imports"
fi

why_not=$(cannot_run_32_bit)
if [ -n "$why_not" ]; then
  skip "the Wine run of sample_runs.exe: $why_not"
  finish
  exit
fi

echo "== sample cases, native"
[ -f "$native/CMakeCache.txt" ] || cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" -j "$(nproc)" --target sample_runs
rm -rf "$win/native-out" "$win/wine-out"
"$native/tests/windows/sample_runs" "$native/tavi56.p" "$win/native-out" >/dev/null

echo "== sample cases, under Wine"
# A prefix of our own beside the build; no Mono or Gecko prompts, no display.
export WINEPREFIX="$win/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# Relative paths: the program sees them on Wine's drive for the current folder.
if (cd "$win" && timeout 900 wine tests/windows/sample_runs.exe tavi56.p wine-out >wine-run.log 2>&1); then
  pass "sample_runs.exe loads tavi56.p, resolves every ordinal and runs all cases"
else
  fail "sample_runs.exe under Wine (log: $win/wine-run.log)"
  sed 's/^/    /' "$win/wine-run.log" | tail -20
fi
wineserver -w || true

for file in "$win"/native-out/*; do
  name=$(basename "$file")
  if cmp -s "$file" "$win/wine-out/$name"; then
    pass "same bytes under Wine: $name"
  else
    fail "same bytes under Wine: $name"
  fi
done
extra=$(comm -13 <(ls "$win/native-out") <(ls "$win/wine-out" 2>/dev/null) | tr '\n' ' ')
if [ -z "$extra" ]; then
  pass "no outputs beyond the native ones"
else
  fail "outputs only under Wine: $extra"
fi

finish
