"""Shared pieces of the Python module's tests: pictures with hard edges,
image files written and read with their samples exactly as stored, and the
tavi command run on them.

Run by ctest (test "python_module"), or from the repository with the
module on the path and the Python it was built for, as docs/python.md says:
    PYTHONPATH=build/python /usr/bin/python3 -m pytest -q tests/lib/python
TAVI_EXE names the tavi command (default: build/tavi).
"""
import os
import pathlib
import subprocess

import numpy
import OpenImageIO as oiio
import pytest

REPOSITORY = pathlib.Path(__file__).resolve().parents[3]


@pytest.fixture(scope="session")
def tavi_exe():
    exe = pathlib.Path(os.environ.get("TAVI_EXE", REPOSITORY / "build" / "tavi")).resolve()
    if not exe.exists():
        pytest.fail(f"no tavi command at {exe}; build it or set TAVI_EXE")
    return exe


def aliased(height, width, seed):
    """Discs and bands of random colour and alpha, each pixel taking the
    colour at its centre: staircases in every direction."""
    rng = numpy.random.default_rng(seed)
    y, x = numpy.mgrid[0:height, 0:width] + 0.5
    image = numpy.empty((height, width, 4), numpy.uint8)
    image[...] = rng.integers(0, 256, 4, dtype=numpy.uint8)
    band = ((y - 0.37 * x) % 9) < 4.5
    image[band] = rng.integers(0, 256, 4, dtype=numpy.uint8)
    for _ in range(3 + (width + height) // 40):
        cy, cx = rng.uniform(0, height), rng.uniform(0, width)
        r = rng.uniform(2, 2 + (width + height) / 6)
        image[(y - cy) ** 2 + (x - cx) ** 2 < r * r] = rng.integers(0, 256, 4, dtype=numpy.uint8)
    return image


def in_units(image, dtype):
    """An 8-bit picture's levels as samples of `dtype`: integers scaled to
    their largest value, floats 0 to 1."""
    level = image.astype(numpy.float64) / 255
    if numpy.dtype(dtype).kind == "f":
        return level.astype(dtype)
    return numpy.round(level * numpy.iinfo(dtype).max).astype(dtype)


# The sample types image files hold, as OpenImageIO names them.
FILE_TYPES = {numpy.uint8: oiio.UINT8, numpy.uint16: oiio.UINT16, numpy.uint32: oiio.UINT32,
              numpy.int8: oiio.INT8, numpy.int16: oiio.INT16, numpy.int32: oiio.INT32,
              numpy.float16: oiio.HALF, numpy.float32: oiio.FLOAT, numpy.float64: oiio.DOUBLE}


def write_stored(path, pixels):
    """Writes the samples as they are: no division by alpha."""
    out = oiio.ImageOutput.create(str(path))
    layout = oiio.ImageSpec(pixels.shape[1], pixels.shape[0], pixels.shape[2], FILE_TYPES[pixels.dtype.type])
    layout.attribute("oiio:UnassociatedAlpha", 1)
    assert out.open(str(path), layout), out.geterror()
    assert out.write_image(pixels), out.geterror()
    out.close()


def read_stored(path):
    """The samples as the file stores them, at their own type."""
    config = oiio.ImageSpec()
    config.attribute("oiio:UnassociatedAlpha", 1)
    file = oiio.ImageInput.open(str(path), config)
    assert file, oiio.geterror()
    pixels = file.read_image(file.spec().format)
    file.close()
    return pixels


def tavi_process(tavi_exe, folder, pixels, name, *options):
    """What `tavi process` makes of `pixels` stored in the file `name`."""
    source, target = folder / name, folder / ("out-" + name)
    write_stored(source, pixels)
    subprocess.run([str(tavi_exe), "process", "-q", str(source), "-o", str(target), *options], check=True)
    return read_stored(target)
