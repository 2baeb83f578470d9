#!/usr/bin/env bash
# Installs what the 32-bit Windows build of the module and its Wine check
# need: the i686 MinGW-w64 cross compiler and a Wine that runs 32-bit
# programs. Only what is missing is installed; safe to run again.
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
  wine
  wine32:i386
)

mapfile -t missing < <(missing_packages "${packages[@]}")

if ((${#missing[@]})); then
  echo "setup-windows: installing ${missing[*]}"
  ((updated)) || $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null
fi

command -v i686-w64-mingw32-g++-posix >/dev/null ||
  { echo "setup-windows: i686-w64-mingw32-g++-posix not found" >&2; exit 1; }
command -v wine >/dev/null ||
  { echo "setup-windows: wine not found" >&2; exit 1; }
echo "setup-windows: cross compiler and Wine present"
