"""The README's Python example, run as written on a file, makes the file
`tavi process` makes."""
import os
import re
import subprocess
import sys

import numpy
import pytest

import tavi
from conftest import REPOSITORY, aliased, read_stored, write_stored


def readme_example():
    text = (REPOSITORY / "README.md").read_text()
    blocks = re.findall(r"```python\n(.*?)```", text, re.S)
    assert len(blocks) == 1, "one Python example in the README"
    return blocks[0]


def test_the_example_has_five_lines():
    assert len(readme_example().strip().splitlines()) == 5


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
    subprocess.run([sys.executable, "-c", readme_example()], cwd=tmp_path, env=environment, check=True)
    smooth, expected = read_stored(tmp_path / "smooth.png"), read_stored(tmp_path / "expected.png")
    assert smooth.dtype == depth
    assert numpy.array_equal(smooth, expected)
    assert not numpy.array_equal(smooth, image)
