#!/usr/bin/env bash
# Checks the export table of the Windows build of the module against the
# export list, as the build read it (exports/exports.table in the build
# folder: "ORDINAL NAME code|data" a line):
#   - the export directory names the DLL as its file is named (tavi56.p);
#   - every listed name is exported with its listed ordinal, and nothing
#     else is exported, by name or by ordinal alone;
#   - exports listed as DATA point into data, the others into code; the
#     import library has every export's import entry, a call thunk for
#     every function and none for data;
#   - the DLL imports only system DLLs (the C++ runtime is linked in);
#   - with MACHINE given (i386 or x86-64), the DLL is built for it.
# The DLL may be 32-bit (i386) or 64-bit (x86-64): its PE header says
# which, and so which MinGW-w64 binutils read it (OBJDUMP and NM override
# them) and how the import library spells C names (i386 puts an underscore
# before them, x86-64 does not).
# Prints one line per problem; exits 1 if there is any.
#
#   check-exports.sh DLL IMPORT_LIBRARY EXPORT_TABLE [MACHINE]
set -euo pipefail

dll=$1
implib=$2
list=$3
expected_machine=${4:-}

problems=0
problem() {
  echo "  $*"
  problems=$((problems + 1))
}

# The machine field of the PE header: the COFF header follows the "PE\0\0"
# signature, whose offset the DOS header keeps at 0x3C.
[ "$(od -An -tx1 -N2 "$dll" | tr -d ' ')" = 4d5a ] || { echo "  $dll is not a PE file"; exit 1; }
pe_offset=$(od -An -tu4 -j60 -N4 "$dll" 2>/dev/null | tr -d ' ' || true)
signature=$(od -An -tx1 -j"$pe_offset" -N4 "$dll" 2>/dev/null | tr -d ' ' || true)
[ "$signature" = 50450000 ] || { echo "  $dll is not a PE file"; exit 1; }
case $(od -An -tx2 -j$((pe_offset + 4)) -N2 "$dll" | tr -d ' ') in
  014c) machine=i386 prefix=i686-w64-mingw32 c_prefix=_ ;;
  8664) machine=x86-64 prefix=x86_64-w64-mingw32 c_prefix= ;;
  *) echo "  $dll is built for a machine other than i386 and x86-64"; exit 1 ;;
esac
if [ -n "$expected_machine" ] && [ "$machine" != "$expected_machine" ]; then
  problem "$dll is built for $machine, expected $expected_machine"
fi
objdump=${OBJDUMP:-$prefix-objdump}
nm=${NM:-$prefix-nm}

headers=$("$objdump" -p "$dll")
sections=$("$objdump" -h "$dll")
symbols=$("$nm" "$implib")

listed=$(sort -n "$list")

# The DLL's name in its export directory.
name=$(awk '$1 == "Name" && NF == 3 { print $3; exit }' <<<"$headers")
expected_name=$(basename "$dll")
[ "$name" = "$expected_name" ] || problem "export directory names the DLL \"$name\", expected \"$expected_name\""

base=$(awk '$1 == "Ordinal" && $2 == "Base" { print $3; exit }' <<<"$headers")
image_base=$(awk '$1 == "ImageBase" { print $2; exit }' <<<"$headers")
[ -n "$base" ] && [ -n "$image_base" ] || { echo "  no export table in $dll"; exit 1; }

# Export address table: "[ i] +base[ ORDINAL] RVA Export RVA"; unused
# slots have RVA 0.
addresses=$(awk '
  /^Export Address Table --/ { on = 1; next }
  on && NF == 0 { exit }
  on && /Export RVA/ {
    line = $0; sub(/.*\+base\[ */, "", line); split(line, f, /[] ]+/)
    if (f[2] != "00000000" && f[2] != "0") print f[1], f[2]
  }' <<<"$headers" | sort -n)

# Name pointer table: "[ INDEX] NAME", the index counted from the ordinal base.
named=$(awk -v base="$base" '
  /^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
  on && NF == 0 { exit }
  on { line = $0; sub(/^[ \t]*\[ */, "", line); split(line, f, /[] ]+/); print f[1] + base, f[2] }
  ' <<<"$headers" | sort -n)

expected_named=$(awk '{ print $1, $2 }' <<<"$listed")
if [ "$named" != "$expected_named" ]; then
  problem "exported names and ordinals differ from the list (< list, > DLL):"
  diff <(echo "$expected_named") <(echo "$named") | grep '^[<>]' | sed 's/^/    /' || true
fi
expected_ordinals=$(awk '{ print $1 }' <<<"$listed")
actual_ordinals=$(awk '{ print $1 }' <<<"$addresses")
[ "$actual_ordinals" = "$expected_ordinals" ] ||
  problem "exported ordinals $(echo $actual_ordinals) differ from the listed $(echo $expected_ordinals)"

# Sections holding code: "IDX NAME SIZE VMA ..." followed by a flags line.
code_ranges=$(awk '
  $1 ~ /^[0-9]+$/ && NF >= 6 { size = $3; vma = $4; next }
  /CODE/ && size != "" { print vma, size; size = "" }
  ' <<<"$sections")
in_code() {
  local address=$(( 0x$image_base + 0x$1 )) vma size
  while read -r vma size; do
    [ -n "$vma" ] || continue
    if (( address >= 0x$vma && address < 0x$vma + 0x$size )); then return 0; fi
  done <<<"$code_ranges"
  return 1
}

while read -r ordinal export kind; do
  rva=$(awk -v o="$ordinal" '$1 == o { print $2 }' <<<"$addresses")
  [ -n "$rva" ] || continue  # reported above
  if [ "$kind" = data ]; then
    in_code "$rva" && problem "$export (ordinal $ordinal) is listed as data but points into code"
    grep -qE " T ${c_prefix}${export}\$" <<<"$symbols" && problem "$export: the import library gives data a call thunk"
    grep -qE " I __imp_${c_prefix}${export}\$" <<<"$symbols" || problem "$export: missing from the import library"
  else
    in_code "$rva" || problem "$export (ordinal $ordinal) is a function but points outside code"
    grep -qE " T ${c_prefix}${export}\$" <<<"$symbols" || problem "$export: the import library has no call thunk"
    grep -qE " I __imp_${c_prefix}${export}\$" <<<"$symbols" || problem "$export: missing from the import library"
  fi
done <<<"$listed"

# Only system DLLs: the C++ runtime, libgcc and winpthread are linked in.
# The same few for either machine (both builds import KERNEL32.dll and
# msvcrt.dll today).
while read -r imported; do
  case "${imported,,}" in
    kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | ntdll.dll) ;;
    *) problem "imports $imported, which Windows does not provide" ;;
  esac
done < <(awk '/DLL Name:/ { print $3 }' <<<"$headers")

if ((problems)); then
  echo "  $dll: $problems problem(s) in its export table"
  exit 1
fi
