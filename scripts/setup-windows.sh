#!/usr/bin/env bash
# Installs what the Windows builds of the module and their Wine checks
# need: the i686 and x86_64 MinGW-w64 cross compilers, a Wine that runs
# 32-bit programs (wine32) and 64-bit ones (wine64), and zip for the users'
# archive. Only what is missing is installed; safe to run again.
set -euo pipefail

. "$(dirname "$0")/missing-packages.sh"

# wine32 is an i386 package; apt only offers it once the architecture is
# known, and then the package lists must be fetched again.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup-windows: adding the i386 architecture"
  $apt_sudo dpkg --add-architecture i386
  update_package_lists setup-windows
fi

install_missing setup-windows g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 zip
# wine32 comes apart: its i386 libraries must match the versions of their
# amd64 twins, and a mirror whose i386 security list is out of sync cannot
# offer them. Then only the 32-bit Wine runs are skipped, saying so.
if why=$(install_missing setup-windows wine32:i386 2>&1); then
  echo "$why"
else
  echo "setup-windows: cannot install wine32:i386 ($(echo "$why" | grep '^E:' | tail -n 1));" \
    "the 32-bit programs cannot run under Wine here" >&2
fi

for compiler in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix; do
  command -v "$compiler" >/dev/null ||
    { echo "setup-windows: $compiler not found" >&2; exit 1; }
done
command -v wine >/dev/null ||
  { echo "setup-windows: wine not found" >&2; exit 1; }
echo "setup-windows: cross compilers, Wine and zip present"
