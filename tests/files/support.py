"""What the tests of files from other programs share: the tavi command and
oiiotool run, pictures made and files written and read as stored.

The pictures: two flat colours split by a stair-stepped disc, with alpha
that differs inside and out, so that the filter changes pixels only along
the disc's edge and every other pixel must come back exactly.
"""
import os
import pathlib
import shutil
import subprocess
import numpy
import OpenImageIO as oiio

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
TAVI = pathlib.Path(os.environ.get("TAVI_EXE", REPOSITORY / "build" / "tavi")).resolve()
OIIOTOOL = shutil.which("oiiotool")

WIDTH, HEIGHT = 37, 29  # tiles of 16 leave partial tiles at both edges
CENTRE, RADIUS = (18.3, 13.6), 9.2


def run_tavi(*args, expect=0):
    done = subprocess.run([str(TAVI), *map(str, args)], capture_output=True, text=True)
    if expect is not None:
        assert done.returncode == expect, f"tavi {' '.join(map(str, args))}: status {done.returncode}\n{done.stderr}"
    return done


def oiiotool(*args):
    done = subprocess.run([OIIOTOOL, *map(str, args)], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return done


def inside_disc():
    y, x = numpy.mgrid[0:HEIGHT, 0:WIDTH] + 0.5
    return (x - CENTRE[0]) ** 2 + (y - CENTRE[1]) ** 2 < RADIUS ** 2


def near_edge(distance=3):
    """Pixels within `distance` of the disc's edge: where the filter may work."""
    inside = inside_disc()
    near = numpy.zeros_like(inside)
    for dy in range(-distance, distance + 1):
        for dx in range(-distance, distance + 1):
            shifted = numpy.roll(numpy.roll(inside, dy, 0), dx, 1)
            near |= shifted != inside
    return near


def levels(channels, alpha=True, scale=1.0):
    """The picture as fractions: colour in, colour out, alpha 1 inside and
    0.4 outside (straight colour). `scale` lifts colour above 1."""
    inside = inside_disc()[..., None]
    colour = numpy.where(inside, [0.95, 0.85, 0.12], [0.08, 0.30, 0.70]) * scale
    picture = numpy.empty((HEIGHT, WIDTH, channels), numpy.float64)
    picture[..., :min(3, channels)] = colour[..., :min(3, channels)]
    if channels >= 4 and alpha:
        picture[..., 3] = numpy.where(inside[..., 0], 1.0, 0.4)
    return picture


TYPES = {"uint8": oiio.UINT8, "uint16": oiio.UINT16, "uint": oiio.UINT32, "half": oiio.HALF, "float": oiio.FLOAT}
NUMPY = {"uint8": numpy.uint8, "uint16": numpy.uint16, "uint": numpy.uint32, "half": numpy.float16,
         "float": numpy.float32}
FULL = {"uint8": 255, "uint16": 65535, "uint": 4294967295}


def as_samples(picture, kind):
    """Fractions as samples of `kind`, rounded as OpenImageIO does."""
    if kind in FULL:
        return numpy.round(numpy.clip(picture, 0, 1) * FULL[kind]).astype(NUMPY[kind])
    return picture.astype(NUMPY[kind])


def write(path, samples, kind, straight=True, tile=None, planar=False, compression=None, extra=None):
    """Writes samples as they are, straight alpha labelled so, with OpenImageIO."""
    spec = oiio.ImageSpec(samples.shape[1], samples.shape[0], samples.shape[2], TYPES[kind])
    if samples.shape[2] == 4:
        spec.alpha_channel = 3
        if straight:
            spec.attribute("oiio:UnassociatedAlpha", 1)
    if tile:
        spec.tile_width = spec.tile_height = tile
    if planar:
        spec.attribute("planarconfig", "separate")
    if compression:
        spec.attribute("compression", compression)
    for name, value in (extra or {}).items():
        spec.attribute(name, value)
    out = oiio.ImageOutput.create(str(path))
    assert out.open(str(path), spec), oiio.geterror()
    assert out.write_image(samples), out.geterror()
    out.close()
    return path


def stored(path, subimage=0, level=0, raw_colour=False):
    """(spec, samples) of one part and level, exactly as the file stores
    them (never premultiplied on reading), or None."""
    config = oiio.ImageSpec()
    config.attribute("oiio:UnassociatedAlpha", 1)
    if raw_colour:
        config.attribute("oiio:RawColor", 1)
    reader = oiio.ImageInput.open(str(path), config)
    if reader is None or not reader.seek_subimage(subimage, level):
        return None
    spec = reader.spec()
    samples = reader.read_image(subimage, level, 0, spec.nchannels, oiio.UNKNOWN if spec.channelformats else spec.format)
    reader.close()
    return None if samples is None else (spec, samples)


def shape(path):
    """[[level sizes] per part] of a file."""
    reader = oiio.ImageInput.open(str(path))
    assert reader, oiio.geterror()
    parts = []
    while reader.seek_subimage(len(parts), 0):
        sizes = []
        while reader.seek_subimage(len(parts), len(sizes)):
            sizes.append((reader.spec().width, reader.spec().height))
        parts.append(sizes)
    reader.close()
    return parts


def bits_of(samples):
    """Samples as raw bits, so that NaN and -0 compare too."""
    return samples.view(numpy.uint8) if samples.dtype != object else samples


def changed_pixels(a, b):
    """Where two pictures of the same layout differ in any channel."""
    return numpy.any(a.view(numpy.uint8).reshape(a.shape[0], a.shape[1], -1)
                     != b.view(numpy.uint8).reshape(b.shape[0], b.shape[1], -1), axis=2)
