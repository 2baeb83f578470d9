#!/usr/bin/env bash
# `cmake --install` into a scratch prefix, then what a user does with it:
# everything check_installed.sh runs, a CMake project that finds the
# library with find_package(tavi 0.1 CONFIG), and the command moved away
# from its module, which still tells its version.
#
#   cmake_install_test.sh BUILD_DIR WORK
#
# The environment is check_installed.sh's, plus CMAKE (the cmake program).
set -euo pipefail
build=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$(dirname "$0")/../support/result_lines.sh"

rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")  # the command names its folder as the kernel has it
prefix="$work/prefix"
"$CMAKE" --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log"; die "cmake --install"; }
"$here/check_installed.sh" "$prefix" "$work/check"

# find_package in a user's project, with only the prefix to go on.
"$CMAKE" -S "$here/find_package_project" -B "$work/user" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_COMPILER="$CC" >"$work/user.log" 2>&1 || { cat "$work/user.log"; die "find_package(tavi 0.1 CONFIG)"; }
"$CMAKE" --build "$work/user" >>"$work/user.log" 2>&1 ||
  { cat "$work/user.log"; die "building against tavi::tavi"; }
grep -q "Found tavi $TAVI_VERSION in $prefix/" "$work/user.log" ||
  { cat "$work/user.log"; die "tavi found elsewhere"; }
# The imported target carries the library's place: no path needed to run.
[ "$(env -i "$work/user/version_check")" = "tavi $TAVI_VERSION" ] || die "the program built with tavi::tavi fails"
pass "a CMake project finds tavi $TAVI_VERSION and links tavi::tavi"

# Without its module the command still tells its version, and says why no
# module loads; the commands that need the module fail, naming both places.
mkdir -p "$work/alone"
cp "$prefix/bin/tavi" "$work/alone/tavi"
version=$(env -i "$work/alone/tavi" --version) || die "tavi --version without a module exits with $?"
[ "$(sed -n 1p <<<"$version")" = "tavi $TAVI_VERSION" ] || die "tavi --version without a module says: $version"
grep -q "^module: none loaded: no filter module: neither $work/alone/tavi56.p" <<<"$version" ||
  die "tavi --version without a module says: $version"
status=0
message=$(env -i "$work/alone/tavi" process "$work/check/demo/input.png" -o "$work/alone/out.png" 2>&1) || status=$?
[ "$status" = 1 ] || die "tavi process without a module exits with $status"
grep -q "tavi: no filter module: neither $work/alone/tavi56.p (beside the command) nor .*; name one with --module" \
  <<<"$message" || die "tavi process without a module says: $message"
pass "without a module, tavi --version says: $(sed -n 2p <<<"$version")"
