#!/usr/bin/env bash
# The tavi command maps no library that a program linked to OpenImageIO
# alone does not: the panel window's (SDL2, OpenGL, sound) are the window
# program's, which has them.
#
#   window_libraries_test.sh TAVI EMPTY_OIIO_PROGRAM [WINDOW_PROGRAM]
set -euo pipefail
. "$(dirname "$0")/../support/result_lines.sh"
libraries() { ldd "$1" | awk '$2 == "=>" { print $1 }' | sort -u; }

extra=$(comm -23 <(libraries "$1") <(libraries "$2") | tr '\n' ' ')
if [ -z "$extra" ]; then
  pass "tavi maps no library beyond those of a program linked to OpenImageIO alone"
else
  fail "tavi maps libraries beyond OpenImageIO's: $extra"
fi
if [ -n "${3:-}" ]; then
  if libraries "$3" | grep -q '^libSDL2'; then
    pass "the window program $(basename "$3") has SDL2"
  else
    fail "the window program $3 does not link SDL2: is the window elsewhere?"
  fi
fi
finish
