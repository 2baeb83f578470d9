#!/usr/bin/env bash
# pip install from a copy of the checkout, offline, as the README says:
# `pip install --no-build-isolation --no-index .` in a fresh virtual
# environment that sees Debian's setuptools, wheel, pybind11 and numpy. Then,
# from outside the checkout: the package imports from the environment with
# the project's version and licence in its metadata, its typed surface is
# there, it filters an array as the build tree's module does, and mypy
# reads its types.
#
#   pip_install_test.sh WORK
#
# From the environment: TAVI_VERSION, SOURCE_DIR, PYTHON (the Python with
# numpy), BUILD_PYTHON_PATH (the build tree's folder holding the package).
set -euo pipefail
work=$1
. "$(dirname "$0")/../support/result_lines.sh"

rm -rf "$work"
mkdir -p "$work/checkout" "$work/elsewhere"
work=$(realpath "$work")
# The files a checkout has, without any build folder in it.
if git -C "$SOURCE_DIR" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$SOURCE_DIR" ls-files -z --cached --others --exclude-standard |
    (cd "$SOURCE_DIR" && tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -C "$work/checkout" -xf -
else
  tar -C "$SOURCE_DIR" --exclude='./build*' -cf - . | tar -C "$work/checkout" -xf -
fi
[ -f "$work/checkout/pyproject.toml" ] || die "the copy of the checkout has no pyproject.toml"

# pip as on a fresh machine: no settings from this one's environment or files.
for variable in $(compgen -e | grep '^PIP_' || true); do unset "$variable"; done
export PIP_CONFIG_FILE=/dev/null

"$PYTHON" -m venv --system-site-packages "$work/venv" || die "$PYTHON -m venv --system-site-packages"
python="$work/venv/bin/python"
(cd "$work/checkout" && "$python" -m pip install --no-build-isolation --no-index . >"$work/pip.log" 2>&1) ||
  { tail -40 "$work/pip.log"; die "pip install --no-build-isolation --no-index ."; }
pass "pip install --no-build-isolation --no-index . in a fresh venv"

cd "$work/elsewhere"
"$python" - "$TAVI_VERSION" "$work/venv" <<'EOF' || die "the pip-installed package"
import importlib.metadata, inspect, pathlib, sys
import numpy, tavi
version, venv = sys.argv[1], pathlib.Path(sys.argv[2])
package = pathlib.Path(tavi.__file__).resolve().parent
assert venv.resolve() in package.parents, f"tavi imported from {package}, not the venv"
assert tavi.__version__ == version, tavi.__version__
metadata = importlib.metadata.metadata("tavi")
assert metadata["Version"] == version, metadata["Version"]
assert metadata["License"] == "Apache-2.0", metadata["License"]
files = {str(f) for f in importlib.metadata.files("tavi")}
assert any(f.endswith(".dist-info/LICENSE") for f in files), sorted(files)
assert (package / "py.typed").is_file() and (package / "__init__.pyi").is_file(), sorted(package.iterdir())
assert str(inspect.signature(tavi.antialias)).startswith("(image, *, out=None, target='rgba'"), inspect.signature(tavi.antialias)
image = numpy.zeros((32, 32, 4), numpy.uint8)
image[..., 3] = 255
for y in range(32):
    image[y, : 3 + y // 4, :3] = 255
result = tavi.antialias(image, strength=60)
assert not numpy.array_equal(result, image), "the filter changed nothing"
numpy.save("pip.npy", result)
numpy.save("input.npy", image)
print(f"ok: import tavi {tavi.__version__} from {package}, licence {metadata['License']}, typed")
EOF
# The same pixels through the build tree's package: the same bytes.
PYTHONPATH="$BUILD_PYTHON_PATH" "$PYTHON" -c "
import numpy, tavi
expected = tavi.antialias(numpy.load('input.npy'), strength=60)
assert numpy.array_equal(numpy.load('pip.npy'), expected), 'the pip-built package filters differently'
" || die "the pip-installed package and the build's differ"
pass "it filters an array as the build tree's package does"

# mypy, with the venv's packages, finds the stub through py.typed.
if command -v mypy >/dev/null; then
  cat >good.py <<'EOF'
import numpy
import tavi

frame = numpy.zeros((4, 4, 4), numpy.uint16)
smooth: numpy.ndarray = tavi.antialias(frame, target="alpha", strength=60, alpha="premultiplied")
version: str = tavi.__version__
EOF
  printf 'import numpy\nimport tavi\n\ntavi.antialias(numpy.zeros((4, 4, 4), numpy.uint8), strength="high")\n' >bad.py
  mypy --python-executable "$python" --no-incremental good.py >mypy-good.log 2>&1 ||
    { cat mypy-good.log; die "mypy finds fault with a correct use of tavi"; }
  status=0
  mypy --python-executable "$python" --no-incremental bad.py >mypy-bad.log 2>&1 || status=$?
  # antialias has two forms (a numpy array of a taken dtype, any other
  # array-like): mypy says no form takes a str.
  [ "$status" = 1 ] && grep -q 'bad.py:4: error: No overload variant of "antialias" matches argument types .*"str"' \
    mypy-bad.log || { cat mypy-bad.log; die "mypy does not see that strength takes a whole number"; }
  pass "mypy reads the installed package's types"
else
  skip "mypy's check of the types (no mypy; scripts/setup.sh installs it)"
fi
