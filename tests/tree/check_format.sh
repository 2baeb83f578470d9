#!/usr/bin/env bash
# Every C and C++ file of the tree is as clang-format writes it with the
# tree's .clang-format.
#
#   check_format.sh CLANG_FORMAT SOURCE_DIR
set -euo pipefail
clang_format=$1
cd "$2"
. tests/support/result_lines.sh

# Files git knows, where there is a checkout; else every file of the kinds.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.c' '*.cpp' '*.h')
else
  mapfile -t files < <(find src tests bench fuzz include -name '*.c' -o -name '*.cpp' -o -name '*.h')
fi
unformatted=()
for file in "${files[@]}"; do
  [ -f "$file" ] || continue
  "$clang_format" --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if ((${#unformatted[@]})); then
  fail "not as .clang-format writes them (clang-format -i FILE): ${unformatted[*]}"
else
  pass "${#files[@]} C and C++ files as .clang-format writes them"
fi
finish
