#!/usr/bin/env bash
# Runs what an install under PREFIX gives a user, from there and with
# nothing else on the paths: tavi --version and tavi process on a sample
# (bytes equal to the build tree's command), the manual page, the C library
# through pkg-config, the Python package and the GEGL operation.
#
#   check_installed.sh PREFIX WORK
#
# PREFIX is the install prefix (/usr inside an unpacked package); WORK a
# scratch folder. From the environment: TAVI_VERSION, BUILD_TAVI (the build
# tree's tavi), SOURCE_DIR, CC, MODULE_DIR, DATA_DIR, PYTHON_DIR, GEGL_DIR
# (relative to PREFIX), WINDOW (set where the build has the panel's
# window), PYTHON and GEGL_PROGRAM (empty: that part is not checked, and a
# line says so).
set -euo pipefail
prefix=$(realpath "$1")
work=$2
mkdir -p "$work"

. "$(dirname "$0")/../support/result_lines.sh"

# The command, with an empty environment: it finds its module from its own
# place.
version=$(env -i "$prefix/bin/tavi" --version) || die "$prefix/bin/tavi --version exits with $?"
[ "$(sed -n 1p <<<"$version")" = "tavi $TAVI_VERSION" ] || die "tavi --version says: $version"
grep -q "^module $prefix/$MODULE_DIR/tavi56.p: image filter \"Tavi\"" <<<"$version" ||
  die "tavi --version does not load $prefix/$MODULE_DIR/tavi56.p: $version"
pass "tavi --version: $(tr '\n' ' ' <<<"$version")"

"$BUILD_TAVI" demo -o "$work/demo" --width 160 --height 90 >/dev/null
env -i "$prefix/bin/tavi" process -q "$work/demo/input.png" -o "$work/installed.png" ||
  die "the installed tavi process fails"
"$BUILD_TAVI" process -q "$work/demo/input.png" -o "$work/built.png"
cmp -s "$work/installed.png" "$work/built.png" ||
  die "the installed tavi process writes other bytes than the built one"
! cmp -s "$work/installed.png" "$work/demo/input.png" || die "the installed tavi process changed nothing"
pass "tavi process from $prefix/bin gives the build's bytes"

# The panel's window program beside the module, which tavi panel hands a
# session without a script to: with no display, it says so (status 1).
if [ -n "${WINDOW:-}" ]; then
  [ -x "$prefix/$MODULE_DIR/tavi-panel-window" ] || die "no $prefix/$MODULE_DIR/tavi-panel-window"
  status=0
  message=$(env -i "$prefix/bin/tavi" panel "$work/installed.png" 2>&1) || status=$?
  [ "$status" -eq 1 ] && grep -q "display" <<<"$message" ||
    die "the installed tavi panel without a script and without a display (status $status): $message"
  pass "tavi panel hands a window session to $prefix/$MODULE_DIR/tavi-panel-window"
else
  skip "the panel's window program (the build has no window)"
fi

# The farm's array job script, ready for sbatch.
array_script="$prefix/${DATA_DIR:-share/tavi}/tavi-array.sbatch"
[ -x "$array_script" ] && bash -n "$array_script" || die "no runnable $array_script"
pass "the array job script: $array_script"

# man finds the page under the prefix and formats it without a warning.
page=$(MANPATH="$prefix/share/man" man -w tavi) || die "man finds no tavi page under $prefix/share/man"
[[ "$page" == "$prefix/share/man/man1/tavi.1"* ]] || die "man finds the tavi page at $page"
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || die "man cannot format $page"
[ -z "$warnings" ] || die "man warns about $page: $warnings"
pass "man tavi: $page"

# The C library through tavi.pc, in a program built as a user builds it.
pc_dir=$(dirname "$(find "$prefix" -name tavi.pc -path '*/pkgconfig/*' | head -1)")
[ -f "$pc_dir/tavi.pc" ] || die "no pkgconfig/tavi.pc under $prefix"
export PKG_CONFIG_PATH=$pc_dir
[ "$(pkg-config --modversion tavi)" = "$TAVI_VERSION" ] || die "tavi.pc says version $(pkg-config --modversion tavi)"
# shellcheck disable=SC2046  # pkg-config's flags are words
"$CC" -std=c99 -pedantic -Werror "$SOURCE_DIR/tests/install/version_check.c" \
  $(pkg-config --cflags --libs tavi) -o "$work/version_check" ||
  die "a program does not build against $pc_dir/tavi.pc"
libdir=$(pkg-config --variable=libdir tavi)
[ "$(env -i LD_LIBRARY_PATH="$libdir" "$work/version_check")" = "tavi $TAVI_VERSION" ] ||
  die "the program built against the installed library fails"
pass "a C program built with pkg-config tavi ($pc_dir)"

# The Python package, from outside the source tree.
if [ -n "${PYTHON:-}" ]; then
  (cd "$work" && env -i PYTHONPATH="$prefix/$PYTHON_DIR" PYTHONDONTWRITEBYTECODE=1 "$PYTHON" -c "
import inspect, pathlib, numpy, tavi
package = pathlib.Path(tavi.__file__).parent
assert str(package).startswith('$prefix/'), tavi.__file__
assert tavi.__version__ == '$TAVI_VERSION', tavi.__version__
assert (package / 'py.typed').is_file() and (package / '__init__.pyi').is_file(), sorted(package.iterdir())
assert list(inspect.signature(tavi.antialias).parameters)[:3] == ['image', 'out', 'target']
image = numpy.zeros((16, 16, 4), numpy.uint8)
image[..., 3] = 255
for y in range(16):
    image[y, : 2 + y // 3, :3] = 255
assert not numpy.array_equal(tavi.antialias(image), image), 'the filter changed nothing'
") || die "the Python package under $prefix/$PYTHON_DIR does not work"
  pass "import tavi from $prefix/$PYTHON_DIR"
else
  skip "the Python package (the build has none)"
fi

# The GEGL operation, where GEGL looks for it.
if [ -n "${GEGL_PROGRAM:-}" ] && [ -n "${GEGL_DIR:-}" ]; then
  env GEGL_PATH="$prefix/$GEGL_DIR" "$GEGL_PROGRAM" --exists tavi:antialias ||
    die "gegl does not find tavi:antialias in $prefix/$GEGL_DIR"
  pass "gegl finds tavi:antialias in $prefix/$GEGL_DIR"
else
  skip "the GEGL operation (the build has none, or no gegl program)"
fi
