"""The examples of docs/python.md, run as written: the one-line check runs
the module, and the OpenImageIO example makes the file `tavi process`
makes."""
import os
import re
import subprocess
import sys

import numpy
import pytest

import tavi
from conftest import REPOSITORY, aliased, read_stored, write_stored

PAGE = REPOSITORY / "docs" / "python.md"


def python_example():
    blocks = re.findall(r"```python\n(.*?)```", PAGE.read_text(), re.S)
    assert len(blocks) == 1, "one Python example on the page"
    return blocks[0]


def test_the_example_has_five_lines():
    assert len(python_example().strip().splitlines()) == 5


@pytest.mark.parametrize("depth", [numpy.uint8, numpy.uint16])
def test_the_example_writes_what_tavi_process_writes(tmp_path, tavi_exe, depth):
    image = aliased(60, 90, seed=12).astype(depth)
    if depth == numpy.uint16:
        image = image * 257 + 3
    write_stored(tmp_path / "render.png", image)
    subprocess.run([str(tavi_exe), "process", "-q", "render.png", "-o", "expected.png", "--strength", "60"],
                   cwd=tmp_path, check=True)
    # The example imports the package this test imported.
    environment = dict(os.environ, PYTHONPATH=os.path.dirname(os.path.dirname(os.path.abspath(tavi.__file__))))
    subprocess.run([sys.executable, "-c", python_example()], cwd=tmp_path, env=environment, check=True)
    smooth, expected = read_stored(tmp_path / "smooth.png"), read_stored(tmp_path / "expected.png")
    assert smooth.dtype == depth
    assert numpy.array_equal(smooth, expected)
    assert not numpy.array_equal(smooth, image)


def test_the_one_line_check_runs_as_written(tmp_path):
    """Typed in a shell from a folder whose build/ is this build tree, with
    the path as it is (where another python3 may come first)."""
    (line,) = [line.strip() for line in PAGE.read_text().splitlines() if line.strip().startswith("PYTHONPATH=")]
    build = os.environ.get("TAVI_BUILD_DIR") or str(REPOSITORY / "build")
    (tmp_path / "build").symlink_to(build)
    environment = {name: value for name, value in os.environ.items() if not name.startswith("PYTHON")}
    run = subprocess.run(["bash", "-c", line], cwd=tmp_path, env=environment, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    assert run.stdout == "(4, 4, 4)\n"
