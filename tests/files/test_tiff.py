"""TIFF files as cameras, scanners and print software write them: 32-bit
integer samples, CMYK, CIELAB, page positions, EXIF and GPS directories,
JPEG compression."""
import re
import subprocess
import numpy
import pytest

from makers.tiff_bytes import EXIF_IFD, EXTRA_SAMPLES, GPS_IFD, INK_SET, PHOTOMETRIC, tags, tiff
from support import HEIGHT, WIDTH, changed_pixels, inside_disc, near_edge, run_tavi, stored, write, as_samples, levels


def plane(inside, outside):
    disc = inside_disc()
    return [[inside if disc[y][x] else outside for x in range(WIDTH)] for y in range(HEIGHT)]


def test_32_bit_integers_keep_every_bit(tmp_path):
    # 336860180 is no float: held as float it would come back as 336860192.
    source = tmp_path / "ids.tif"
    source.write_bytes(tiff(WIDTH, HEIGHT, [plane(336860180 + c, 101 + c) for c in range(3)]
                            + [plane(4294967295, 1717986918)], 32, extra_samples=[2]))
    for name, flags in (("same.tif", ["--disable"]), ("filtered.tif", []), ("converted.exr", ["--disable"])):
        run_tavi("process", source, "-o", tmp_path / name, *flags)
    original = stored(source)[1]
    assert numpy.array_equal(stored(tmp_path / "same.tif")[1], original)
    filtered = stored(tmp_path / "filtered.tif")[1]
    assert filtered.dtype == numpy.uint32
    untouched = ~changed_pixels(original, filtered)
    assert (~untouched).any() and not (~untouched & ~near_edge()).any()
    assert numpy.array_equal(filtered[untouched], original[untouched])


def cmyk(bits):
    full = 65535 if bits == 16 else 255
    inks = [plane(int(full * 0.9) - 7 * c, int(full * 0.05) + 3 * c) for c in range(3)]
    return tiff(WIDTH, HEIGHT, inks + [plane(int(full * 0.2), 0)], bits, photometric=5)


def test_cmyk_keeps_its_inks_and_depth(tmp_path):
    for bits in (8, 16):
        source = tmp_path / f"inks{bits}.tif"
        source.write_bytes(cmyk(bits))
        out = tmp_path / f"out{bits}.tif"
        done = run_tavi("process", source, "-o", out)
        assert "K is as it was stored" in done.stderr
        written = tags(out.read_bytes())
        assert written[PHOTOMETRIC] == [5] and written[INK_SET] == [1] and EXTRA_SAMPLES not in written
        before, after = stored(source, raw_colour=True), stored(out, raw_colour=True)
        assert str(after[0].format) == ("uint16" if bits == 16 else "uint8")
        moved = changed_pixels(before[1], after[1])
        assert moved.any() and not (moved & ~near_edge()).any()
        assert numpy.array_equal(before[1][..., 3], after[1][..., 3]), "K is kept"


def test_cmyk_converts_to_rgb_for_other_formats(tmp_path):
    source = tmp_path / "inks.tif"
    source.write_bytes(cmyk(16))
    run_tavi("process", source, "-o", tmp_path / "out.png", "--disable")
    spec, samples = stored(tmp_path / "out.png")
    assert spec.nchannels == 3
    assert numpy.array_equal(samples, stored(source)[1]), "as OpenImageIO converts CMYK to RGB"


def test_cielab_keeps_its_label_and_blends_signed_values(tmp_path):
    # a* is -20 outside the disc and +20 inside, stored as two's complement:
    # blended as unsigned bytes, 236 and 20 would meet at mid-grey.
    source = tmp_path / "lab.tif"
    signed = lambda value: value & 0xFF  # noqa: E731
    source.write_bytes(tiff(WIDTH, HEIGHT, [plane(200, 30), plane(20, signed(-20)), plane(signed(-5), 5)], 8,
                            photometric=8))
    out = tmp_path / "out.tif"
    run_tavi("process", source, "-o", out)
    assert tags(out.read_bytes())[PHOTOMETRIC] == [8]
    a_star = stored(out, raw_colour=True)[1][..., 1].astype(numpy.int8)
    assert a_star.min() >= -20 and a_star.max() <= 20, "a* stays between the values it blends"
    assert ((a_star > -20) & (a_star < 20)).any(), "and is blended along the edge"


def test_page_position_stays_the_picture_placement(tmp_path):
    source = tmp_path / "placed.tif"
    position = {286: ("RATIONAL", [(3, 2)]), 287: ("RATIONAL", [(5, 4)]), 282: ("RATIONAL", [(300, 1)]),
                283: ("RATIONAL", [(300, 1)]), 296: ("SHORT", [2])}
    source.write_bytes(tiff(WIDTH, HEIGHT, [plane(60000 - c, 3000 + c) for c in range(3)], 16, tags=position))
    run_tavi("process", source, "-o", tmp_path / "out.tif")
    before, after = stored(source)[0], stored(tmp_path / "out.tif")[0]
    for field in ("x", "y", "full_x", "full_y", "full_width", "full_height"):
        assert getattr(after, field) == getattr(before, field), field


def test_exif_and_gps_directories_do_not_crash_the_writer(tmp_path):
    rational = "RATIONAL"
    exif = {33434: (rational, [(1, 125)]), 36867: ("ASCII", "2024:01:02 03:04:05"), 37386: (rational, [(50, 1)]),
            42034: (rational, [(24, 1), (70, 1), (28, 10), (4, 1)]), 42036: ("ASCII", "Zoom 24-70")}
    gps = {0: ("BYTE", [2, 3, 0, 0]), 1: ("ASCII", "N"), 2: (rational, [(48, 1), (51, 1), (2400, 100)])}
    source = tmp_path / "camera.tif"
    source.write_bytes(tiff(WIDTH, HEIGHT, [plane(200 + c, 20 + c) for c in range(3)], 8,
                            subdirectories={EXIF_IFD: exif, GPS_IFD: gps}))
    done = run_tavi("process", source, "-o", tmp_path / "out.tif")
    assert re.search(r"Exif:Lens\w+", done.stderr), "the lens range, left out, is named"
    assert stored(tmp_path / "out.tif") is not None
    assert [p.name for p in tmp_path.iterdir() if ".tavi-" in p.name] == []
    assert tags((tmp_path / "out.tif").read_bytes()).get(EXIF_IFD), "the rest of EXIF is kept"


def test_jpeg_compression_is_kept_only_where_nothing_changed(tmp_path):
    source = write(tmp_path / "photo.tif", as_samples(levels(3), "uint8"), "uint8", compression="jpeg")
    run_tavi("process", source, "-o", tmp_path / "same.tif", "--disable")
    assert (tmp_path / "same.tif").read_bytes() == source.read_bytes()

    done = run_tavi("process", source, "-o", tmp_path / "filtered.tif")
    assert "jpeg compression is lossy" in done.stderr
    assert stored(tmp_path / "filtered.tif")[0].get_string_attribute("compression") == "zip"
    before, after = stored(source)[1], stored(tmp_path / "filtered.tif")[1]
    moved = changed_pixels(before, after)
    assert moved.any() and not (moved & ~near_edge()).any(), "pixels away from the edge keep their decoded values"


@pytest.mark.parametrize("compression", ["jpeg", "zip"])
def test_tiled_cmyk_is_never_handed_to_a_conversion_that_corrupts_memory(tmp_path, compression):
    """OpenImageIO's conversion of tiled CMYK to RGB corrupts its heap (the
    command, and its own tools, die of it): such a file bound for a format
    without CMYK is refused by name, the other frames are done, and TIFF,
    which keeps CMYK, still takes it."""
    striped = tmp_path / "striped.tif"
    striped.write_bytes(cmyk(8))
    tiled = tmp_path / "shot.0001.tif"
    made = subprocess.run(["tiffcp", "-c", compression, "-t", "-w", "16", "-l", "16", striped, tiled],
                          capture_output=True, text=True)
    assert made.returncode == 0, made.stderr
    other = write(tmp_path / "shot.0002.png", as_samples(levels(4), "uint8"), "uint8")
    done = run_tavi("process", tiled, other, "-o", tmp_path / "out.####.exr", expect=1)
    assert "shot.0001.tif: OpenImageIO's conversion of tiled CMYK TIFF files to RGB corrupts its memory" in done.stderr
    assert "tiffcp -s" in done.stderr
    assert (tmp_path / "out.0002.exr").exists() and not (tmp_path / "out.0001.exr").exists()
    dry = run_tavi("process", "-n", tiled, "-o", tmp_path / "dry.exr", expect=1)
    assert "corrupts its memory" in dry.stdout + dry.stderr
    run_tavi("process", tiled, "-o", tmp_path / "kept.tif")
    assert tags((tmp_path / "kept.tif").read_bytes())[PHOTOMETRIC] == [5]


def test_grey_with_more_channels_than_alpha_keeps_their_names(tmp_path):
    """Grey with alpha and one more channel, which OpenImageIO names R, A, B:
    written again, the file still names them so, not R, G, B."""
    source = tmp_path / "extras.tif"
    source.write_bytes(tiff(WIDTH, HEIGHT, [plane(200, 30), plane(255, 120), plane(9, 99)], 8, photometric=1,
                            extra_samples=(2, 0)))
    assert list(stored(source)[0].channelnames) == ["R", "A", "B"]
    run_tavi("process", source, "-o", tmp_path / "out.tif")
    spec, samples = stored(tmp_path / "out.tif")
    assert list(spec.channelnames) == ["R", "A", "B"]
    assert numpy.array_equal(samples[..., 2], stored(source)[1][..., 2]), "the extra channel passes as it was"
