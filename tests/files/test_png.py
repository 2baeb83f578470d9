"""PNG files as PNG test suites and painting programs write them: palettes,
1/2/4-bit grey, transparency keys, Adam7 interlacing, colour chunks, text
and EXIF."""
import struct
import zlib

import OpenImageIO as oiio
import pytest

from makers.icc_bytes import display_profile
from makers.png_bytes import chunks, header, png
from support import HEIGHT, WIDTH, inside_disc, run_tavi

DISC = inside_disc()
PALETTE = [(0, 0, 0), (240, 30, 40), (20, 200, 60), (10, 30, 220)]


def indexed(inside, outside):
    return [[inside if DISC[y][x] else outside for x in range(WIDTH)] for y in range(HEIGHT)]


def rgba(inside, outside):
    return [[v for x in range(WIDTH) for v in (inside if DISC[y][x] else outside)] for y in range(HEIGHT)]


COLOUR_CHUNKS = [("gAMA", struct.pack(">I", 45455)),
                 ("cHRM", struct.pack(">8I", 31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000)),
                 ("iCCP", b"tavi\0\0" + zlib.compress(display_profile())),
                 ("cICP", bytes([1, 13, 0, 1])), ("sBIT", bytes([8, 8, 8, 8]))]
TEXT_CHUNKS = [("tEXt", b"Comment\0made for tavi"), ("eXIf", b"MM\0*\0\0\0\x08\0\0\0\0\0\0"),
               ("pHYs", struct.pack(">IIB", 2835, 2835, 1))]

FILES = {
    "palette": lambda: png(WIDTH, HEIGHT, indexed(1, 3), 3, 8, palette=PALETTE,
                           before_image=[("bKGD", bytes([2]))]),
    "palette-4-bit": lambda: png(WIDTH, HEIGHT, indexed(1, 3), 3, 4, palette=PALETTE),
    "palette-transparency": lambda: png(WIDTH, HEIGHT, indexed(1, 3), 3, 8, palette=PALETTE,
                                        trns=bytes([255, 255, 255, 0])),
    "grey-1-bit": lambda: png(WIDTH, HEIGHT, indexed(1, 0), 0, 1, before_image=[("bKGD", struct.pack(">H", 1))]),
    "grey-2-bit": lambda: png(WIDTH, HEIGHT, indexed(3, 1), 0, 2),
    "grey-4-bit": lambda: png(WIDTH, HEIGHT, indexed(15, 2), 0, 4),
    "rgb-transparency-key": lambda: png(WIDTH, HEIGHT, [r[:] for r in rgba((200, 30, 40), (10, 20, 230))], 2, 8,
                                        trns=struct.pack(">3H", 10, 20, 230)),
    "interlaced": lambda: png(WIDTH, HEIGHT, rgba((200, 30, 40, 255), (10, 20, 230, 90)), 6, 8, interlace=True),
    "every-chunk": lambda: png(WIDTH, HEIGHT, rgba((200, 30, 40, 255), (10, 20, 230, 90)), 6, 8,
                               before_palette=COLOUR_CHUNKS,
                               before_image=[("bKGD", struct.pack(">3H", 1, 2, 3))] + TEXT_CHUNKS),
}
# What filtering makes of each stored form: (bit depth, colour type) and the notice.
WIDENED = {
    "palette": ((8, 2), "palette cannot hold the blended colours; written as 8-bit RGB"),
    "palette-4-bit": ((8, 2), "palette cannot hold the blended colours; written as 8-bit RGB"),
    "palette-transparency": ((8, 6), "written as 8-bit RGBA"),
    "grey-1-bit": ((8, 0), "1-bit grey cannot hold the blended levels; written as 8-bit grey"),
    "grey-2-bit": ((8, 0), "2-bit grey cannot hold the blended levels"),
    "grey-4-bit": ((8, 0), "4-bit grey cannot hold the blended levels"),
    "rgb-transparency-key": ((8, 6), "transparent colour (tRNS) becomes an alpha channel"),
    "interlaced": ((8, 6), "written without its Adam7 interlacing"),
    "every-chunk": ((8, 6), None),
}


@pytest.mark.parametrize("name", FILES)
def test_unchanged_png_is_the_same_file(name, tmp_path):
    source = tmp_path / f"{name}.png"
    source.write_bytes(FILES[name]())
    run_tavi("process", source, "-o", tmp_path / "out.png", "--disable")
    assert (tmp_path / "out.png").read_bytes() == source.read_bytes()


@pytest.mark.parametrize("name", FILES)
def test_filtered_png_widens_only_as_far_as_it_must(name, tmp_path):
    source = tmp_path / f"{name}.png"
    source.write_bytes(FILES[name]())
    done = run_tavi("process", source, "-o", tmp_path / "out.png")
    (depth, colour_type), notice = WIDENED[name]
    assert header((tmp_path / "out.png").read_bytes())[:2] == (depth, colour_type)
    if notice:
        assert notice in done.stderr


def ancillary(data):
    return [(kind, payload) for kind, payload in chunks(data) if kind[0].islower()]


def test_filtered_png_keeps_its_chunks(tmp_path):
    source = tmp_path / "chunks.png"
    source.write_bytes(FILES["every-chunk"]())
    run_tavi("process", source, "-o", tmp_path / "out.png")
    assert ancillary((tmp_path / "out.png").read_bytes()) == ancillary(source.read_bytes())


def test_background_follows_the_palette_into_rgb(tmp_path):
    source = tmp_path / "palette.png"
    source.write_bytes(FILES["palette"]())
    run_tavi("process", source, "-o", tmp_path / "out.png")
    background = dict(chunks((tmp_path / "out.png").read_bytes()))["bKGD"]
    assert struct.unpack(">3H", background) == PALETTE[2]


def test_colour_profile_goes_where_the_format_holds_one(tmp_path):
    source = tmp_path / "profiled.png"
    source.write_bytes(FILES["every-chunk"]())
    run_tavi("process", source, "-o", tmp_path / "out.tif")
    profile = oiio.ImageInput.open(str(tmp_path / "out.tif")).spec().getattribute("ICCProfile")
    assert bytes(profile) == display_profile()
    done = run_tavi("process", source, "-o", tmp_path / "out.exr")
    assert "OpenEXR writer keeps no ICCProfile" in done.stderr
