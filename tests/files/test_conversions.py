"""Every pairing of input and output kinds: PNG 8/16, TIFF 8/16/32-bit
integer and float (striped, tiled with partial tiles, planar), OpenEXR
half/float/uint (scanline, tiled, MIP-mapped, multi-part) and Targa with
and without alpha, written as PNG, TIFF, OpenEXR and Targa.

With --disable every output is OpenImageIO's own conversion of its input;
with the filter on it differs from that only along the picture's edge."""
import numpy
import pytest

from support import (as_samples, changed_pixels, levels, near_edge, oiiotool, run_tavi, shape, stored, write)


def associated(picture):
    picture = picture.copy()
    picture[..., :3] *= picture[..., 3:4]
    return picture


INPUTS = {
    "png8": lambda d: write(d / "in.png", as_samples(levels(4), "uint8"), "uint8"),
    "png16": lambda d: write(d / "in.png", as_samples(levels(4), "uint16"), "uint16"),
    "tiff8-strips": lambda d: write(d / "in.tif", as_samples(levels(4), "uint8"), "uint8"),
    "tiff16-tiles": lambda d: write(d / "in.tif", as_samples(levels(4), "uint16"), "uint16", tile=16),
    "tiff32-planar": lambda d: write(d / "in.tif", as_samples(levels(3), "uint"), "uint", planar=True),
    "tiff-float-tiles-planar": lambda d: write(d / "in.tif", as_samples(levels(4, scale=1.5), "float"), "float",
                                               tile=16, planar=True),
    "exr-half": lambda d: write(d / "in.exr", as_samples(associated(levels(4, scale=2)), "half"), "half",
                                straight=False),
    "exr-float-tiles": lambda d: write(d / "in.exr", as_samples(associated(levels(4, scale=3)), "float"), "float",
                                       straight=False, tile=16),
    "exr-uint": lambda d: write(d / "in.exr", as_samples(associated(levels(4)), "uint"), "uint", straight=False),
    "exr-mipmap": lambda d: mipmapped(d),
    "exr-two-parts": lambda d: two_parts(d),
    "targa-rgba": lambda d: write(d / "in.tga", as_samples(levels(4), "uint8"), "uint8"),
    "targa-rgb": lambda d: write(d / "in.tga", as_samples(levels(3), "uint8"), "uint8"),
}
STRAIGHT = {"png8", "png16", "tiff8-strips", "tiff16-tiles", "tiff-float-tiles-planar", "targa-rgba"}
OUTPUTS = ["png", "tif", "exr", "tga"]
# oiiotool's names for -d
OIIOTOOL_TYPES = {"uint": "uint32", "int": "sint32", "int16": "sint16", "int8": "sint8"}


def mipmapped(folder):
    flat = write(folder / "flat.exr", as_samples(associated(levels(4, scale=2)), "half"), "half", straight=False)
    oiiotool(flat, "-otex", folder / "in.exr")
    return folder / "in.exr"


def two_parts(folder):
    first = write(folder / "a.exr", as_samples(associated(levels(4, scale=2)), "half"), "half", straight=False)
    second = write(folder / "b.exr", as_samples(levels(3, scale=0.5)[..., ::-1].copy(), "half"), "half",
                   straight=False)
    oiiotool(first, second, "--siappend", "-o", folder / "in.exr")
    return folder / "in.exr"


def pairings():
    return [pytest.param(kind, ext, id=f"{kind}-to-{ext}") for kind in INPUTS for ext in OUTPUTS]


@pytest.mark.parametrize("kind,ext", pairings())
def test_disabled_output_is_openimageios_own_conversion(kind, ext, tmp_path):
    source = INPUTS[kind](tmp_path)
    out = tmp_path / f"out.{ext}"
    run_tavi("process", source, "-o", out, "--disable")

    written = stored(out)
    assert written is not None, f"{out} does not read back"
    if str(written[0].format) == "uint" and str(stored(source)[0].format) == "uint":
        # oiiotool takes 32-bit integers through float, which loses their
        # low bits; they must come through exactly.
        assert numpy.array_equal(written[1], stored(source)[1])
        return
    sample_type = OIIOTOOL_TYPES.get(str(written[0].format), str(written[0].format))
    # Straight colour going into OpenEXR is premultiplied as OpenImageIO's
    # readers premultiply it (its TIFF reader premultiplies partial tiles
    # twice; its premult operation is the same arithmetic without that);
    # everywhere else colour is taken as stored.
    flags, steps = ["--no-autopremult"], []
    if kind in STRAIGHT and ext == "exr":
        flags, steps = ([], []) if not kind.startswith("tiff") else (["--no-autopremult"], ["--premult"])
    if kind == "exr-two-parts" and ext in ("tif", "exr"):
        flags.append("-a")
    reference = tmp_path / f"reference.{ext}"
    oiiotool(*flags, source, *steps, "-d", sample_type, "-o", reference)

    ours, theirs = shape(out), shape(reference)
    assert [p[0] for p in ours] == [p[0] for p in theirs]
    for part in range(len(theirs)):
        a, b = stored(out, part), stored(reference, part)
        assert str(a[0].format) == str(b[0].format), f"part {part}"
        assert a[0].channelnames == b[0].channelnames, f"part {part}"
        assert numpy.array_equal(a[1].view(numpy.uint8), b[1].view(numpy.uint8)), f"part {part} differs"
    if kind == "exr-mipmap" and ext == "exr":
        assert ours == shape(source), "every MIP level is kept"


@pytest.mark.parametrize("kind,ext", pairings())
def test_filtered_output_differs_only_along_the_edge(kind, ext, tmp_path):
    source = INPUTS[kind](tmp_path)
    disabled, filtered = tmp_path / f"off.{ext}", tmp_path / f"on.{ext}"
    run_tavi("process", source, "-o", disabled, "--disable")
    run_tavi("process", source, "-o", filtered)

    assert shape(filtered) == shape(disabled)
    for part, levels_of_part in enumerate(shape(filtered)):
        for level in range(len(levels_of_part)):
            a, b = stored(disabled, part, level), stored(filtered, part, level)
            assert b is not None, f"part {part} level {level} does not read back"
            assert str(a[0].format) == str(b[0].format)
            moved = changed_pixels(a[1], b[1])
            if part == 0 and level == 0:
                assert moved.any(), "the filter changed nothing"
                assert not (moved & ~near_edge()).any(), "pixels away from the edge changed"
            else:
                assert not moved.any(), f"part {part} level {level} is not the filtered one, yet changed"
