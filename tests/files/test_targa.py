"""Targa files and their alpha types: 0 no alpha, 1 data to ignore, 2 data
to keep, 3 straight alpha, 4 premultiplied alpha. Only type 4 is
premultiplied."""
import numpy
import pytest

from makers.targa_bytes import extension_area, targa
from support import HEIGHT, WIDTH, changed_pixels, inside_disc, run_tavi, stored

DISC = inside_disc()


def pixels(fourth_inside, fourth_outside):
    """Bottom-up B, G, R, A rows: a red disc on blue, the fourth channel
    differing inside and out."""
    out = bytearray()
    for y in reversed(range(HEIGHT)):
        for x in range(WIDTH):
            out += bytes((40, 30, 220, fourth_inside) if DISC[y][x] else (210, 20, 10, fourth_outside))
    return bytes(out)


def filtered(tmp_path, name, data, *flags):
    source = tmp_path / f"{name}.tga"
    source.write_bytes(data)
    run_tavi("process", source, "-o", tmp_path / f"{name}-out.tga", *flags)
    return stored(source)[1], stored(tmp_path / f"{name}-out.tga")[1], (tmp_path / f"{name}-out.tga").read_bytes()


@pytest.mark.parametrize("alpha_type", [0, 1, 2])
def test_a_fourth_channel_that_is_no_alpha_is_kept_and_colour_is_opaque(alpha_type, tmp_path):
    before, after, written = filtered(tmp_path, f"type{alpha_type}", targa(WIDTH, HEIGHT, pixels(7, 200), alpha_type))
    assert numpy.array_equal(after[..., 3], before[..., 3]), "the fourth channel is data, kept as it is"
    assert extension_area(written)[0] == alpha_type
    # Its colour filters as a picture without alpha does.
    opaque_before, opaque_after, _ = filtered(tmp_path, "opaque", targa(WIDTH, HEIGHT, pixels(255, 255), 3))
    assert numpy.array_equal(after[..., :3], opaque_after[..., :3])


def test_only_type_4_is_premultiplied(tmp_path):
    data = pixels(255, 90)
    _, straight, _ = filtered(tmp_path, "type3", targa(WIDTH, HEIGHT, data, 3))
    _, premultiplied, written = filtered(tmp_path, "type4", targa(WIDTH, HEIGHT, data, 4))
    _, told, _ = filtered(tmp_path, "told", targa(WIDTH, HEIGHT, data, 3), "--alpha", "premultiplied")
    assert numpy.array_equal(premultiplied, told)
    assert not numpy.array_equal(premultiplied, straight)
    assert extension_area(written)[0] == 4, "and stays labelled premultiplied"


def test_version_1_files_hold_straight_alpha(tmp_path):
    data = pixels(255, 90)
    _, old, _ = filtered(tmp_path, "v1", targa(WIDTH, HEIGHT, data))
    _, straight, _ = filtered(tmp_path, "v2", targa(WIDTH, HEIGHT, data, 3))
    assert numpy.array_equal(old, straight)


def test_thumbnail_is_kept(tmp_path):
    stamp = (2, 2, bytes([1, 2, 3, 4] * 4))
    before, after, written = filtered(tmp_path, "stamped", targa(WIDTH, HEIGHT, pixels(255, 90), 3, thumbnail=stamp))
    assert changed_pixels(before, after).any()
    alpha_type, at = extension_area(written)
    assert alpha_type == 3 and at and written[at:at + 18] == bytes(stamp[:2]) + stamp[2]
