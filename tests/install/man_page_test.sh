#!/usr/bin/env bash
# The manual page: groff and man format it without a warning, it carries
# the command's version, and it names every option and command that
# tavi --help lists, and no option that tavi does not have.
#
#   man_page_test.sh TAVI PAGE
set -euo pipefail
tavi=$1
page=$2
. "$(dirname "$0")/../support/result_lines.sh"
export LC_ALL=C.UTF-8

warnings=$(groff -ww -man -Tutf8 -z "$page" 2>&1) || die "groff cannot format $page"
[ -z "$warnings" ] || die "groff -ww warns about $page: $warnings"
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || die "man cannot format $page"
[ -z "$warnings" ] || die "man --warnings warns about $page: $warnings"
pass "groff -ww and man --warnings format $page without a warning"

# Unhyphenated and wide, so that every option stays one word.
text=$(MANWIDTH=250 man --nh --nj -l "$page" 2>/dev/null | col -bx)
version=$("$tavi" --version | sed -n 1p)
grep -q "^${version}  " <<<"$(tail -1 <<<"$text" | sed 's/^ *//')" || die "the page's footer is not \"$version\""

help=$("$tavi" --help)
commands=$(sed -n '/^Subcommands:/,$p' <<<"$help" | awk 'NR > 1 && NF { print $1 }')
[ -n "$commands" ] || die "tavi --help lists no commands"
for command in $commands; do
  help+=$'\n'$("$tavi" "$command" --help)
  grep -qE "^ +$command( |$)" <<<"$text" || die "the page does not describe the command $command"
done
listed=$(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
documented=$(grep -oE -- '--[a-z][a-z-]*' <<<"$text" | sort -u)
missing=$(comm -23 <(echo "$listed") <(echo "$documented"))
[ -z "$missing" ] || die "tavi --help lists options the page leaves out: $(echo $missing)"
unknown=$(comm -13 <(echo "$listed") <(echo "$documented"))
[ -z "$unknown" ] || die "the page names options tavi --help does not list: $(echo $unknown)"
pass "the page describes the commands $(echo $commands) and the options $(echo $listed)"
