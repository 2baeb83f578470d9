"""tavi.antialias gives the bytes of `tavi process` on the same pixels."""
import numpy
import pytest

import tavi
from conftest import aliased, tavi_process

SETTINGS = [
    ({}, []),
    ({"strength": 60}, ["--strength", "60"]),
    ({"target": "rgb", "threshold": 200}, ["--target", "rgb", "--threshold", "200"]),
    ({"target": "alpha", "strength": 30}, ["--target", "alpha", "--strength", "30"]),
    ({"enabled": False}, ["--disable"]),
]


@pytest.mark.parametrize("keywords, options", SETTINGS)
@pytest.mark.parametrize("kind", ["straight RGBA", "opaque RGBA", "RGB"])
def test_eight_bit_pngs(tmp_path, tavi_exe, kind, keywords, options):
    image = aliased(70, 90, seed=4)
    if kind == "opaque RGBA":
        image[..., 3] = 255
    if kind == "RGB":
        image = numpy.ascontiguousarray(image[..., :3])
    before = image.copy()
    mine = tavi.antialias(image, **keywords)
    assert numpy.array_equal(image, before), "the input is left alone"
    assert mine.dtype == image.dtype and mine.shape == image.shape
    theirs = tavi_process(tavi_exe, tmp_path, image, "frame.png", *options)
    assert numpy.array_equal(mine, theirs)
    # Off changes nothing; alpha alone has no edges where alpha is 255.
    unchanged = keywords.get("enabled") is False or (keywords.get("target") == "alpha" and kind != "straight RGBA")
    assert numpy.array_equal(mine, image) == unchanged


def test_sixteen_bit_png(tmp_path, tavi_exe):
    image = aliased(60, 80, seed=5).astype(numpy.uint16) * 257
    image += (numpy.arange(image.size, dtype=numpy.uint16) % 200).reshape(image.shape)
    image[image < 200] = 7  # no wrap-around at the bottom
    mine = tavi.antialias(image, strength=60)
    theirs = tavi_process(tavi_exe, tmp_path, image, "deep.png", "--strength", "60")
    assert theirs.dtype == numpy.uint16
    assert numpy.array_equal(mine, theirs)
    assert not numpy.array_equal(mine, image)


@pytest.mark.parametrize("dtype", [numpy.float32, numpy.float16])
def test_premultiplied_exr(tmp_path, tavi_exe, dtype):
    straight = aliased(50, 70, seed=6).astype(numpy.float32) / 255
    image = straight.copy()
    image[..., :3] *= straight[..., 3:]
    image[::5, ::3, :3] *= 1.5  # over 1, as renders have
    image = image.astype(dtype)
    mine = tavi.antialias(image, alpha="premultiplied")
    theirs = tavi_process(tavi_exe, tmp_path, image, "render.exr")
    assert theirs.dtype == dtype
    assert numpy.array_equal(mine.view(numpy.uint8), theirs.view(numpy.uint8))
    assert not numpy.array_equal(mine, image)


def test_premultiplied_bytes(tmp_path, tavi_exe):
    image = aliased(40, 60, seed=8)
    image[..., :3] = (image[..., :3].astype(numpy.uint32) * image[..., 3:] // 255).astype(numpy.uint8)
    mine = tavi.antialias(image, alpha="premultiplied", strength=80)
    theirs = tavi_process(tavi_exe, tmp_path, image, "assoc.png", "--alpha", "premultiplied", "--strength", "80")
    assert numpy.array_equal(mine, theirs)


def samples_of(dtype, seed):
    """A straight RGBA picture in `dtype`'s units, with values past the
    ends of its range where the type has them (below 0, above 1)."""
    level = aliased(50, 70, seed=seed).astype(numpy.float64) / 255
    if numpy.dtype(dtype).kind == "f":
        level[::7, ::5, :3] *= 1.75
        return level.astype(dtype)
    top = numpy.iinfo(dtype).max
    image = numpy.round(level * top).astype(dtype)
    if numpy.dtype(dtype).kind == "i":
        image[::9, ::4, :3] = -(image[::9, ::4, :3] // 3)
    return image


@pytest.mark.parametrize("dtype", [numpy.uint32, numpy.int8, numpy.int16, numpy.int32, numpy.float64])
def test_other_sample_types_as_a_tiff_holds_them(tmp_path, tavi_exe, dtype):
    image = samples_of(dtype, seed=13)
    mine = tavi.antialias(image, strength=70)
    theirs = tavi_process(tavi_exe, tmp_path, image, "deep.tif", "--strength", "70")
    assert mine.dtype == theirs.dtype == dtype
    assert numpy.array_equal(mine.view(numpy.uint8), theirs.view(numpy.uint8))
    assert not numpy.array_equal(mine, image)


def test_every_way_of_passing_the_pixels(tmp_path, tavi_exe):
    image = aliased(60, 80, seed=14)
    theirs = tavi_process(tavi_exe, tmp_path, image, "frame.png", "--strength", "60")
    in_place = numpy.asfortranarray(image)
    spread = numpy.zeros((120, 200, 4), numpy.uint8)
    spread[::2, 10:170:2] = image  # every other row and column of a larger frame
    ways = {
        "Fortran order": tavi.antialias(numpy.asfortranarray(image), strength=60),
        "nested lists": tavi.antialias(image.tolist(), strength=60),
        "a strided view": tavi.antialias(spread[::2, 10:170:2], strength=60),
        "in place": tavi.antialias(in_place, out=in_place, strength=60),
    }
    for way, mine in ways.items():
        assert numpy.array_equal(mine, theirs), way


@pytest.mark.parametrize("dtype", [numpy.uint8, numpy.float32])
def test_alpha_wins_where_the_filters_colour_and_alpha_disagree(tmp_path, tavi_exe, dtype):
    """Premultiplied pixels that had no colour above their alpha get none
    back, though target="alpha" blends alpha and leaves colour; and the
    result is the command's."""
    straight = aliased(40, 60, seed=9).astype(numpy.float32) / 255
    image = straight.copy()
    image[..., :3] *= straight[..., 3:]
    image = (numpy.round(image * 255).astype(numpy.uint8) if dtype == numpy.uint8 else image.astype(dtype))
    mine = tavi.antialias(image, alpha="premultiplied", target="alpha")
    assert not numpy.array_equal(mine, image)
    assert numpy.all(mine[..., :3] <= mine[..., 3:4])
    name, flags = ("assoc.png", ["--alpha", "premultiplied"]) if dtype == numpy.uint8 else ("render.exr", [])
    theirs = tavi_process(tavi_exe, tmp_path, image, name, "--target", "alpha", *flags)
    assert numpy.array_equal(mine.view(numpy.uint8), theirs.view(numpy.uint8))
