"""OpenEXR files as renderers and texture tools write them: MIP-mapped
tiles, lossy compressions, several parts or views, channels of several
types."""
import numpy
import OpenImageIO as oiio
import pytest

from support import (HEIGHT, WIDTH, as_samples, changed_pixels, levels, near_edge, oiiotool, run_tavi, shape,
                     stored, write)


def render(folder, name="render.exr", **options):
    picture = levels(4, scale=2)
    picture[..., :3] *= picture[..., 3:4]
    return write(folder / name, as_samples(picture, "half"), "half", straight=False, **options)


def test_every_mip_level_is_written_and_reads(tmp_path):
    texture = tmp_path / "texture.exr"
    oiiotool(render(tmp_path), "-otex", texture)
    done = run_tavi("process", texture, "-o", tmp_path / "out.exr")
    assert "smaller MIP levels are written as stored" in done.stderr
    assert shape(tmp_path / "out.exr") == shape(texture)
    for level in range(1, len(shape(texture)[0])):
        ours = stored(tmp_path / "out.exr", 0, level)
        assert ours is not None, f"level {level} does not read"
        assert numpy.array_equal(ours[1].view(numpy.uint16), stored(texture, 0, level)[1].view(numpy.uint16))

    done = run_tavi("process", texture, "-o", tmp_path / "flat.png")
    assert "holds no MIP levels" in done.stderr


@pytest.mark.parametrize("compression", ["b44", "b44a", "dwaa", "dwab"])
def test_lossy_compression_gives_way_to_zip(compression, tmp_path):
    source = render(tmp_path, compression=compression)
    run_tavi("process", source, "-o", tmp_path / "same.exr", "--disable")
    assert (tmp_path / "same.exr").read_bytes() == source.read_bytes()

    done = run_tavi("process", source, "-o", tmp_path / "filtered.exr")
    assert f"{compression} compression is lossy" in done.stderr
    assert stored(tmp_path / "filtered.exr")[0].get_string_attribute("compression") == "zip"
    before, after = stored(source)[1], stored(tmp_path / "filtered.exr")[1]
    moved = changed_pixels(before, after)
    assert moved.any() and not (moved & ~near_edge()).any()


def two_views(folder):
    left, right = render(folder, "left.exr"), render(folder, "right.exr")
    out = folder / "views.exr"
    oiiotool(left, "--attrib", "view", "left", "--attrib", "oiio:subimagename", "left", right,
             "--attrib", "view", "right", "--attrib", "oiio:subimagename", "right", "--siappend",
             "--attrib", "multiView", "left,right", "-o", out)
    return out


def test_views_and_parts_become_pages_of_a_tiff(tmp_path):
    source = two_views(tmp_path)
    for flags in (["--disable"], []):
        out = tmp_path / f"views{len(flags)}.tif"
        run_tavi("process", source, "-o", out, *flags)
        assert len(shape(out)) == 2
        assert stored(out, 1) is not None


def single_channel(path, name, samples, kind):
    spec = oiio.ImageSpec(WIDTH, HEIGHT, 1, kind)
    spec.channelnames = (name,)
    writer = oiio.ImageOutput.create(str(path))
    assert writer.open(str(path), spec) and writer.write_image(samples[..., None])
    writer.close()
    return path


def test_channels_of_several_types_keep_them(tmp_path):
    depth = numpy.linspace(1, 100, WIDTH * HEIGHT, dtype=numpy.float32).reshape(HEIGHT, WIDTH)
    # Object ids below 2^24, which oiiotool (through float) keeps too.
    ids = (numpy.arange(WIDTH * HEIGHT, dtype=numpy.uint32) * 40503 % 16777213).reshape(HEIGHT, WIDTH)
    source = tmp_path / "passes.exr"
    oiiotool(render(tmp_path), single_channel(tmp_path / "z.exr", "Z", depth, oiio.FLOAT), "--chappend",
             single_channel(tmp_path / "id.exr", "id", ids, oiio.UINT32), "--chappend",
             "-d", "half", "-d", "Z=float", "-d", "id=uint", "-o", source)

    run_tavi("process", source, "-o", tmp_path / "out.exr")
    reader = oiio.ImageInput.open(str(tmp_path / "out.exr"))
    assert tuple(str(t) for t in reader.spec().channelformats) == ("half",) * 4 + ("float", "uint")
    assert numpy.array_equal(reader.read_image(0, 0, 4, 5, oiio.FLOAT)[..., 0], depth)
    assert numpy.array_equal(reader.read_image(0, 0, 5, 6, oiio.UINT32)[..., 0], ids)

    # A TIFF holds one type for every channel: float, which holds the
    # colour's range, and the ids as fractions with a notice that 32-bit
    # integers do not fit it.
    done = run_tavi("process", source, "-o", tmp_path / "out.tif")
    assert "holds no 32-bit integer samples; written as 32-bit float" in done.stderr
    page = stored(tmp_path / "out.tif")
    assert str(page[0].format) == "float"
    assert numpy.array_equal(page[1][..., 4], depth)
    assert numpy.array_equal(numpy.round(page[1][..., 5].astype(numpy.float64) * 4294967295), ids)


@pytest.mark.parametrize("target", ["alpha", "rgba"])
def test_a_straight_picture_is_the_same_written_premultiplied(tmp_path, target):
    """Where the filter's colour and alpha passes disagree (--target alpha
    blends alpha and leaves colour), alpha wins: the OpenEXR file holds the
    PNG file's result premultiplied, within the straight 8-bit rounding,
    and no pixel that had no colour above alpha gets any."""
    source = write(tmp_path / "in.png", as_samples(levels(4), "uint8"), "uint8")
    run_tavi("process", source, "-o", tmp_path / "straight.png", "--target", target)
    run_tavi("process", source, "-o", tmp_path / "associated.exr", "--target", target)
    _, straight = stored(tmp_path / "straight.png")
    _, associated = stored(tmp_path / "associated.exr")
    straight = straight.astype(numpy.float64) / 255
    associated = associated.astype(numpy.float64)
    assert not numpy.array_equal(straight, as_samples(levels(4), "uint8") / 255), "the filter changed nothing"
    assert numpy.all(associated[..., :3] <= associated[..., 3:4] + 1e-6)
    assert numpy.abs(associated[..., 3] - straight[..., 3]).max() <= 0.5 / 255
    expected = straight[..., :3] * straight[..., 3:4]
    assert numpy.abs(associated[..., :3] - expected).max() <= 1 / 255 + 1e-3
