"""How outputs are encoded: as the input was stored unless --compression,
--quality or -d say otherwise; what a format cannot do is refused before any
work."""
import struct

import pytest

from support import as_samples, levels, oiiotool, run_tavi, stored, write


def jpeg_quality(path):
    """The IJG quality of a JPEG file's luminance table, as encoders scale it."""
    data = path.read_bytes()
    at = data.find(b"\xff\xdb")
    table = data[at + 5:at + 5 + 64]  # 8-bit table 0
    base = [16, 11, 12, 14, 12, 10, 16, 14, 13, 14, 18, 17, 16, 19, 24, 40, 26, 24, 22, 22, 24, 49, 35, 37, 29, 40, 58,
            51, 61, 60, 57, 51, 56, 55, 64, 72, 92, 78, 64, 68, 87, 69, 55, 56, 80, 109, 81, 87, 95, 98, 103, 104, 103,
            62, 77, 113, 121, 112, 100, 120, 92, 101, 103, 99]
    for quality in range(1, 101):
        scale = 5000 // quality if quality < 50 else 200 - 2 * quality
        if [min(max((b * scale + 50) // 100, 1), 255) for b in base] == list(table):
            return quality
    return None


@pytest.fixture
def photo(tmp_path):
    return write(tmp_path / "photo.png", as_samples(levels(3), "uint8"), "uint8")


def test_a_jpeg_keeps_its_quality(photo, tmp_path):
    oiiotool(photo, "--compression", "jpeg:50", "-o", tmp_path / "q50.jpg")
    run_tavi("process", tmp_path / "q50.jpg", "-o", tmp_path / "kept.jpg")
    assert jpeg_quality(tmp_path / "kept.jpg") == 50
    run_tavi("process", tmp_path / "q50.jpg", "-o", tmp_path / "asked.jpg", "--quality", "70")
    assert jpeg_quality(tmp_path / "asked.jpg") == 70
    run_tavi("process", photo, "-o", tmp_path / "from-png.jpg")
    assert jpeg_quality(tmp_path / "from-png.jpg") == 95


def test_a_jpeg_whose_quality_cannot_be_told_gets_the_stated_default(photo, tmp_path):
    oiiotool(photo, "--compression", "jpeg:50", "-o", tmp_path / "q50.jpg")
    data = bytearray((tmp_path / "q50.jpg").read_bytes())
    at = data.find(b"\xff\xdb") + 5
    data[at + 63] = max(1, data[at + 63] - 1)  # one step off the scaled table
    (tmp_path / "odd.jpg").write_bytes(bytes(data))
    done = run_tavi("process", tmp_path / "odd.jpg", "-o", tmp_path / "out.jpg")
    assert "cannot be told from its quantisation tables; written at quality 95" in done.stderr
    assert jpeg_quality(tmp_path / "out.jpg") == 95


@pytest.mark.parametrize("output,compression,reads_as", [
    ("out.exr", "dwaa:45", "dwaa"), ("out.exr", "piz", "piz"), ("out.tif", "deflate:9", "zip"),
    ("out.tif", "lzw", "lzw"), ("out.exr", "none", "none")])
def test_compression_is_the_one_asked_for(photo, tmp_path, output, compression, reads_as):
    run_tavi("process", photo, "-o", tmp_path / output, "--compression", compression)
    assert stored(tmp_path / output)[0].get_string_attribute("compression") == reads_as


def test_data_type_sets_every_channel(tmp_path):
    source = write(tmp_path / "render.exr", as_samples(levels(4, scale=2), "half"), "half", straight=False)
    for kind, output in (("float", "f.exr"), ("uint16", "u16.tif"), ("uint8", "u8.png")):
        run_tavi("process", source, "-o", tmp_path / output, "-d", kind, "--disable")
        assert str(stored(tmp_path / output)[0].format) == kind


def test_asking_for_an_encoding_writes_the_file_again(photo, tmp_path):
    source = write(tmp_path / "in.tif", as_samples(levels(4), "uint8"), "uint8", compression="lzw")
    run_tavi("process", source, "-o", tmp_path / "out.tif", "--disable", "--compression", "zip")
    assert stored(tmp_path / "out.tif")[0].get_string_attribute("compression") == "zip"


@pytest.mark.parametrize("output,flags,says", [
    ("out.png", ["-d", "half"], "PNG files hold uint8 or uint16 samples, not half"),
    ("out.png", ["--quality", "50"], "--quality applies to lossy compression"),
    ("out.tif", ["--compression", "zstd"], "TIFF files have no compression zstd"),
    ("out.exr", ["--compression", "zip:x"], "the level of zip compression is a whole number from 1 to 9"),
    ("out.jpg", ["--quality", "0"], "--quality"),
])
def test_what_a_format_cannot_do_is_refused_before_any_work(photo, tmp_path, output, flags, says):
    done = run_tavi("process", photo, "-o", tmp_path / output, *flags, expect=2)
    assert says in done.stderr
    assert not (tmp_path / output).exists()


def test_a_type_asked_for_gives_no_notice_of_a_type_the_format_lacks(tmp_path):
    """-d uint8 on a 16-bit input narrows it as asked: no notice that PNG
    holds no 16-bit samples (it does), and 8-bit samples come out."""
    source = write(tmp_path / "deep.png", as_samples(levels(4), "uint16"), "uint16")
    done = run_tavi("process", source, "-o", tmp_path / "narrow.png", "-d", "uint8")
    assert "holds no" not in done.stderr
    assert str(stored(tmp_path / "narrow.png")[0].format) == "uint8"
