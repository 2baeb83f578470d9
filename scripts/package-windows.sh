#!/usr/bin/env bash
# Packs the two Windows DLLs of the module into one zip for Windows users:
#   README.txt     which DLL to use (packaging/windows/README.txt)
#   LICENSE.txt    the licence
#   x64/tavi56.p   the 64-bit DLL
#   x86/tavi56.p   the 32-bit DLL
# The DLLs lose their debug information, nothing else. The texts get CRLF
# line ends, which Notepad shows right. Every entry is dated
# SOURCE_DATE_EPOCH (default: the last commit's time), so the same DLLs
# give the same zip. Needs zip and both MinGW-w64 binutils
# (scripts/setup-windows.sh).
#
#   package-windows.sh ZIP_FILE X86_DLL X64_DLL
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: package-windows.sh ZIP_FILE X86_DLL X64_DLL" >&2; exit 2; }
zip_file=$(realpath -m "$1")
x86_dll=$2
x64_dll=$3
root=$(cd "$(dirname "$0")/.." && pwd)

# The machine field of a PE file's COFF header (014c i386, 8664 x86-64).
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}
# A DLL in the wrong folder would load in neither renderer.
[ "$(pe_machine "$x86_dll")" = 014c ] || { echo "package-windows: $x86_dll is not a 32-bit (i386) DLL" >&2; exit 1; }
[ "$(pe_machine "$x64_dll")" = 8664 ] || { echo "package-windows: $x64_dll is not a 64-bit (x86-64) DLL" >&2; exit 1; }

version=$(sed -n 's/^project(tavi VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "package-windows: no version in CMakeLists.txt" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/x64" "$stage/x86"
i686-w64-mingw32-strip --strip-debug -o "$stage/x86/tavi56.p" "$x86_dll"
x86_64-w64-mingw32-strip --strip-debug -o "$stage/x64/tavi56.p" "$x64_dll"
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/packaging/windows/README.txt" >"$stage/README.txt"
sed -e 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
# zip stores local time; in UTC it is the same everywhere.
find "$stage" -exec env TZ=UTC touch -d "@$epoch" {} +

mkdir -p "$(dirname "$zip_file")"
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -X -q -r "$zip_file" README.txt LICENSE.txt x64 x86)
echo "package-windows: $zip_file"
