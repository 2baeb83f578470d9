#!/usr/bin/env bash
# Installs what the Windows builds of the module and their Wine checks
# need: the i686 and x86_64 MinGW-w64 cross compilers, a Wine that runs
# 32-bit programs (wine32) and 64-bit ones (wine64), and zip for the users'
# archive. Only what is missing is installed; safe to run again.
set -euo pipefail

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

. "$(dirname "$0")/missing-packages.sh"

# wine32 is an i386 package; apt only offers it once the architecture is known.
updated=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup-windows: adding the i386 architecture"
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  updated=1
fi

packages=(
  g++-mingw-w64-i686-posix
  binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64
  wine
  wine32:i386
  wine64
  zip
)

mapfile -t missing < <(missing_packages "${packages[@]}")

if ((${#missing[@]})); then
  echo "setup-windows: installing ${missing[*]}"
  ((updated)) || $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null
fi

for compiler in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix; do
  command -v "$compiler" >/dev/null ||
    { echo "setup-windows: $compiler not found" >&2; exit 1; }
done
command -v wine >/dev/null ||
  { echo "setup-windows: wine not found" >&2; exit 1; }
echo "setup-windows: cross compilers, Wine and zip present"
