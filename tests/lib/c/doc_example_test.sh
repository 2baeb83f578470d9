#!/usr/bin/env bash
# The C example of docs/c-library.md as a reader takes it: the one ```c
# block saved as the file its console block compiles, and each "$ "
# command of that block run as written from a folder where include/ and
# build/ are the tree's, printing exactly the lines the block shows after
# it. The program is also built as strict C99, warnings as errors.
#
#   doc_example_test.sh DOC SOURCE_DIR BUILD_DIR [FLAG...]
# FLAGs go on every compiler command (the sanitizers' own, in such a build).
set -euo pipefail
doc=$1
source_dir=$2
build_dir=$3
shift 3
extra=("$@")
. "$source_dir/tests/support/result_lines.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The text of each fenced block of one kind, blocks apart by a NUL.
blocks() {
  awk -v kind="$1" '
    /^```/ { if (inside) { inside = 0; printf "%c", 0; next } if ($0 == "```" kind) { inside = 1; next } }
    inside { print }
  ' "$doc"
}
mapfile -d '' programs < <(blocks c)
mapfile -d '' consoles < <(blocks console)
((${#programs[@]} == 1)) || die "$doc has ${#programs[@]} C blocks, not one"
((${#consoles[@]} == 1)) || die "$doc has ${#consoles[@]} console blocks, not one"

commands=()
expected=""
while IFS= read -r line; do
  if [[ $line == '$ '* ]]; then
    commands+=("${line#\$ }")
  else
    expected+="$line"$'\n'
  fi
done <<<"${consoles[0]%$'\n'}"
[[ ${commands[0]:-} =~ ^cc\ ([^ ]+\.c)\  ]] || die "the console block does not start by compiling the example with cc"
file=${BASH_REMATCH[1]}
printf '%s' "${programs[0]}" >"$work/$file"
ln -s "$source_dir/include" "$work/include"
ln -s "$build_dir" "$work/build"

got=""
for command in "${commands[@]}"; do
  [[ $command == cc\ * ]] && command+="${extra[*]:+ ${extra[*]}}"
  printed=$(cd "$work" && bash -c "$command" 2>&1) || die "\"$command\" failed: $printed"
  [[ -z $printed ]] || got+="$printed"$'\n'
done
if [[ $got == "$expected" ]]; then
  pass "the example, built and run as $doc shows, prints what it shows"
else
  fail "the example printed"$'\n'"$got"'instead of'$'\n'"$expected"
fi

if (cd "$work" && cc -std=c99 -pedantic -Wall -Wextra -Werror -fsyntax-only -Iinclude -Ibuild/include "$file"); then
  pass "the example is strict C99 without warnings"
else
  fail "the example is not strict C99 without warnings"
fi
finish
