#!/usr/bin/env bash
# The module as Windows DLLs, 32-bit (build-win32) and 64-bit (build-win64):
# installs the cross compilers and Wine if missing, cross-builds both,
# checks each DLL's export table, runs the sample cases under Wine and
# compares every output byte for byte with the native build's
# (NATIVE_BUILD_DIR, default build). The 64-bit build also shows that the
# host records' layout check stops a build whose records moved. Then packs
# both DLLs into the zip for Windows users (build-windows) and checks it:
# its entries, and each DLL from it loaded and run under Wine.
#
# Wine runs a 32-bit program through its 32-bit loader (WINE32_LOADER, by
# default the one the wine32 package installs) and a 64-bit one through its
# 64-bit loader (WINE64_LOADER, by default wine64's). A kernel built or
# booted without support for one kind refuses to start its loader ("Exec
# format error"), and a mirror out of sync can keep wine32 from installing;
# there each Wine run of that kind is skipped with one line saying so, and
# the script passes on what it could check.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win32="$root/${WIN32_BUILD_DIR:-${WIN_BUILD_DIR:-build-win32}}"
win64="$root/${WIN64_BUILD_DIR:-build-win64}"
native="$root/${NATIVE_BUILD_DIR:-build}"
package="$root/${WIN_PACKAGE_DIR:-build-windows}"

scripts/setup-windows.sh

. tests/support/result_lines.sh

# The loader of one kind: the variable's, else the file its package
# installs (wine32:i386 ships .../wine, wine64 ships .../wine64).
loader_for() {
  local bits=$1 variable package name loader
  if ((bits == 32)); then
    variable=WINE32_LOADER package=wine32:i386 name=wine
  else
    variable=WINE64_LOADER package=wine64 name=wine64
  fi
  loader="${!variable:-}"
  if [ -z "$loader" ]; then
    loader=$(dpkg -L "$package" 2>/dev/null | while read -r file; do
      if [[ "$file" == */"$name" && -f "$file" ]]; then echo "$file" && break; fi
    done)
    loader="${loader:-/usr/lib/wine/$name}"
  fi
  echo "$loader"
}

# Prints why this machine cannot run Wine's loader of one kind (not
# installed, or refused by the kernel), or nothing when it can (or when the
# loader fails for another reason, which the Wine run then reports as a
# failure).
cannot_run() {
  local bits=$1 loader=$2 output status=0
  if [ ! -e "$loader" ]; then
    echo "this machine has no $bits-bit Wine loader ($loader is not installed; setup-windows said why)"
    return
  fi
  output=$("$loader" --version 2>&1) || status=$?
  if ((status == 126)) || [[ "$output" == *"Exec format error"* ]]; then
    echo "this machine cannot run $bits-bit programs ($loader: Exec format error)"
  fi
}

native_ready=0
native_sample_runs() {
  if ((native_ready == 0)); then
    echo "== sample cases, native"
    [ -f "$native/CMakeCache.txt" ] || cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$native" -j "$(nproc)" --target sample_runs
    native_ready=1
  fi
  rm -rf "$1"
  "$native/tests/windows/sample_runs" "$native/tavi56.p" "$1" >/dev/null
}

# Runs one sample_runs.exe on one DLL (a path from FOLDER) under Wine in
# FOLDER, writing FOLDER/wine-out, and compares every output with the
# native build's (FOLDER/native-out). WHAT names the run in the result lines.
wine_sample_runs() {
  local what=$1 loader=$2 prefix=$3 program=$4 folder=$5 dll=$6
  mkdir -p "$folder"
  native_sample_runs "$folder/native-out"
  rm -rf "$folder/wine-out"
  echo "== $what, under Wine"
  # A prefix of our own beside the build; no Mono or Gecko prompts, no display.
  # Relative paths: the program sees them on Wine's drive for the current folder.
  if (cd "$folder" && export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" &&
    unset DISPLAY && timeout 900 "$loader" "$program" "$dll" wine-out >wine-run.log 2>&1); then
    pass "$what: sample_runs.exe loads $dll, resolves every ordinal and runs all cases"
  else
    fail "$what: sample_runs.exe under Wine (log: $folder/wine-run.log)"
    sed 's/^/    /' "$folder/wine-run.log" | tail -20
  fi
  WINEPREFIX="$prefix" wineserver -w || true

  local file name
  for file in "$folder"/native-out/*; do
    name=$(basename "$file")
    if cmp -s "$file" "$folder/wine-out/$name"; then
      pass "$what: same bytes under Wine: $name"
    else
      fail "$what: same bytes under Wine: $name"
    fi
  done
  local extra
  extra=$(comm -13 <(ls "$folder/native-out") <(ls "$folder/wine-out" 2>/dev/null) | tr '\n' ' ')
  if [ -z "$extra" ]; then
    pass "$what: no outputs beyond the native ones"
  else
    fail "$what: outputs only under Wine: $extra"
  fi
}

# Compiles the layout check (C) against the records in FOLDER/host.
compile_layout_check() {
  echo '#include "host/host_records_layout.h"' | "$1" -std=c11 -fsyntax-only -I "$2" -x c - 2>&1
}

# The host records' layout check, compiled by the 64-bit Windows compiler
# over a copy of the records in which PanelServices.hostData, a pointer,
# is held in a long instead: a change only LLP64 sees (a long is as wide
# as a pointer on ILP32 and LP64), and its build must stop.
layout_check_stops_llp64() {
  local compiler=$1 probe="$win64/layout-probe"
  rm -rf "$probe" && mkdir -p "$probe/as-is/host" "$probe/moved/host"
  cp src/tavi56/host/host_records.h src/tavi56/host/host_records_layout.h "$probe/as-is/host/"
  cp src/tavi56/host/host_records_layout.h "$probe/moved/host/"
  sed 's/^\( *\)void \*hostData;/\1long hostData;/' src/tavi56/host/host_records.h >"$probe/moved/host/host_records.h"
  if cmp -s src/tavi56/host/host_records.h "$probe/moved/host/host_records.h"; then
    fail "layout check: no \"void *hostData;\" in host_records.h to move"
    return
  fi
  local as_is moved
  if ! as_is=$(compile_layout_check "$compiler" "$probe/as-is"); then
    fail "layout check: the records as they are do not compile with $compiler"
    echo "$as_is" | sed 's/^/    /' | head -5
  elif moved=$(compile_layout_check "$compiler" "$probe/moved"); then
    fail "layout check: with PanelServices.hostData held in a long, the 64-bit Windows build goes on"
  elif [[ "$moved" == *"(LLP64)"*"hostData"* ]]; then
    pass "layout check: with PanelServices.hostData held in a long, the 64-bit Windows build stops"
  else
    fail "layout check: the moved record fails for another reason"
    echo "$moved" | sed 's/^/    /' | head -5
  fi
}

# Cross-builds one DLL, checks its export table, and runs it under Wine.
windows_build() {
  local bits=$1 dir=$2 toolchain=$3 machine=$4 loader=$5 why_not=$6
  echo "== cross build for $bits-bit Windows"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$dir" -j "$(nproc)"

  echo "== export table of the $bits-bit tavi56.p"
  if tests/windows/check-exports.sh "$dir/tavi56.p" "$dir/libtavi56.dll.a" "$dir/exports/exports.table" "$machine"; then
    pass "$bits-bit export table: machine, name, ordinals, data, imports"
  else
    fail "$bits-bit export table: machine, name, ordinals, data, imports"
  fi

  if [ -n "$why_not" ]; then
    skip "the Wine run of the $bits-bit sample_runs.exe: $why_not"
  else
    wine_sample_runs "$bits-bit" "$loader" "$dir/wine-prefix" tests/windows/sample_runs.exe "$dir" tavi56.p
  fi
}

loader32=$(loader_for 32)
loader64=$(loader_for 64)
why_not32=$(cannot_run 32 "$loader32")
why_not64=$(cannot_run 64 "$loader64")

windows_build 32 "$win32" toolchain-mingw32.cmake i386 "$loader32" "$why_not32"
windows_build 64 "$win64" toolchain-mingw64.cmake x86-64 "$loader64" "$why_not64"
echo "== the skip of a loader this machine cannot run"
# A DLL copied to an executable name is a file the kernel refuses to start,
# as it refuses Wine's loader where one kind of program cannot run.
not_a_loader="$win64/not-a-loader"
cp "$win64/tavi56.p" "$not_a_loader" && chmod +x "$not_a_loader"
if [[ $(cannot_run 64 "$not_a_loader") == *"cannot run 64-bit programs"* && -z $(cannot_run 32 /bin/false) &&
  $(cannot_run 32 "$win64/no-such-loader") == *"no 32-bit Wine loader"* ]]; then
  pass "a loader the kernel will not start or that is not installed is a skip; one that fails otherwise is not"
else
  fail "a loader the kernel will not start, or one not installed, is not taken for a skip (or one that fails is)"
fi
rm -f "$not_a_loader"
echo "== layout check of the host records"
layout_check_stops_llp64 x86_64-w64-mingw32-gcc-posix

echo "== the zip for Windows users"
version=$(sed -n 's/^project(tavi VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip_file="$package/tavi56-$version-windows.zip"
rm -rf "$package"
scripts/package-windows.sh "$zip_file" "$win32/tavi56.p" "$win64/tavi56.p"
# Unpacked by Python's zipfile, a reader other than the zip that wrote it.
unpacked="$package/unpacked"
python3 -m zipfile -e "$zip_file" "$unpacked"
entries=$(python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()), sep="\n")' \
  "$zip_file")
expected_entries=$(printf '%s\n' LICENSE.txt README.txt x64/ x64/tavi56.p x86/ x86/tavi56.p)
if [ "$entries" = "$expected_entries" ]; then
  pass "zip: README.txt, LICENSE.txt, x64/tavi56.p and x86/tavi56.p, nothing else"
else
  fail "zip: entries ${entries//$'\n'/ }, expected ${expected_entries//$'\n'/ }"
fi
lf_only=$(grep -c $'[^\r]$\|^$' "$unpacked/README.txt" || true)
if [ "$lf_only" = 0 ] && grep -q 'x64\\tavi56.p.*64-bit' "$unpacked/README.txt" &&
  grep -q 'x86\\tavi56.p.*32-bit' "$unpacked/README.txt" && grep -q 'our own host records' "$unpacked/README.txt"; then
  pass "zip: README.txt has CRLF line ends, names x64 for 64-bit and x86 for 32-bit, and the host records"
else
  fail "zip: README.txt (CRLF line ends, x64 and x86, the host records)"
fi
# Only the debug information differs from the checked builds, so each DLL
# from the zip passes the same export check and the same Wine run.
for kind in "x86 32 i386 $win32" "x64 64 x86-64 $win64"; do
  read -r folder bits machine dir <<<"$kind"
  if tests/windows/check-exports.sh "$unpacked/$folder/tavi56.p" "$dir/libtavi56.dll.a" "$dir/exports/exports.table" \
    "$machine"; then
    pass "zip: $folder/tavi56.p has the $bits-bit export table"
  else
    fail "zip: $folder/tavi56.p has the $bits-bit export table"
  fi
done
if [ -n "$why_not32" ]; then
  skip "the Wine run of x86/tavi56.p from the zip: $why_not32"
else
  wine_sample_runs "zip x86" "$loader32" "$win32/wine-prefix" "$win32/tests/windows/sample_runs.exe" \
    "$package/run-x86" ../unpacked/x86/tavi56.p
fi
if [ -n "$why_not64" ]; then
  skip "the Wine run of x64/tavi56.p from the zip: $why_not64"
else
  wine_sample_runs "zip x64" "$loader64" "$win64/wine-prefix" "$win64/tests/windows/sample_runs.exe" \
    "$package/run-x64" ../unpacked/x64/tavi56.p
fi

finish
