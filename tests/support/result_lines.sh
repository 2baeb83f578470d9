# Sourced by the test scripts: one form for the lines that say how each
# check went, and one count of them.
#
#   pass WHAT         "ok: WHAT"
#   fail WHAT         "FAILED: WHAT" on stderr; counted, the script goes on
#   die WHAT          "FAILED: WHAT" on stderr, and the script stops (status 1)
#   skip WHAT: WHY    "skipped: WHAT: WHY", one line; counted, never as passed
#   finish            "N passed, N failed[, N skipped]"; returns 1 when a
#                     check failed, 77 (ctest's skip) when every check was
#                     skipped, else 0
#
# Scripts that run under ctest exit with finish's status, so a part this
# machine cannot run is reported as skipped, not passed.

result_lines_passed=0
result_lines_failed=0
result_lines_skipped=0

pass() {
  echo "ok: $*"
  result_lines_passed=$((result_lines_passed + 1))
}

fail() {
  echo "FAILED: $*" >&2
  result_lines_failed=$((result_lines_failed + 1))
}

die() {
  echo "FAILED: $*" >&2
  exit 1
}

skip() {
  echo "skipped: $*"
  result_lines_skipped=$((result_lines_skipped + 1))
}

finish() {
  local line="$result_lines_passed passed, $result_lines_failed failed"
  ((result_lines_skipped == 0)) || line+=", $result_lines_skipped skipped"
  echo "$line"
  if ((result_lines_failed > 0)); then return 1; fi
  if ((result_lines_passed == 0 && result_lines_skipped > 0)); then return 77; fi
  return 0
}
