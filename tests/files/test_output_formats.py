"""Every output format OpenImageIO writes, and its compressions, as
output_formats.py says: written exactly (the pixels of `tavi process` to a
PNG file), written with a notice naming what is lost, or refused before
any work with the reason; and the table in docs/image-files.md is the one
those cases make."""
import numpy
import OpenImageIO as oiio
import pytest

from output_formats import CASES, EXACT, NOTICE, REFUSED
from output_formats_table import table
from support import REPOSITORY, as_samples, levels, run_tavi, write


def square(side):
    """A straight RGBA picture of `side` pixels a side: a disc of one
    colour over another, alpha below 1 outside it."""
    y, x = numpy.mgrid[0:side, 0:side] + 0.5
    inside = ((x - side * 0.47) ** 2 + (y - side * 0.53) ** 2 < (side * 0.3) ** 2)[..., None]
    return numpy.where(inside, [0.95, 0.85, 0.12, 1.0], [0.08, 0.30, 0.70, 0.4])


def picture(kind, folder):
    """The input of a case, as a PNG file."""
    if kind in ("big", "rgba48"):
        return write(folder / "in.png", as_samples(square(300 if kind == "big" else 48), "uint8"), "uint8")
    channels = {"rgba": 4, "rgba16": 4, "rgb": 3, "grey": 1, "grey-alpha": 2}[kind]
    fractions = levels(4)
    if channels == 3:
        fractions = fractions[..., :3]
    elif channels <= 2:
        grey = fractions[..., :1].copy()
        fractions = numpy.concatenate([grey, fractions[..., 3:]], axis=2) if channels == 2 else grey
    depth = "uint16" if kind == "rgba16" else "uint8"
    return write(folder / "in.png", as_samples(fractions, depth), depth)


def read_levels(path):
    """(spec, samples as floats, colour as stored: straight, except
    premultiplied in an associated-only format)."""
    config = oiio.ImageSpec()
    config.attribute("oiio:UnassociatedAlpha", 1)
    reader = oiio.ImageInput.open(str(path), config)
    assert reader, oiio.geterror()
    spec = reader.spec()
    samples = reader.read_image(0, 0, 0, spec.nchannels, "float")
    reader.close()
    return spec, samples


def premultiplied(samples):
    out = samples.copy()
    out[..., :3] *= samples[..., 3:4]
    return out


def case_id(case):
    return " ".join([case.output, *case.options, case.picture])


@pytest.mark.parametrize("case", CASES, ids=case_id)
def test_each_output_format_is_exact_said_or_refused(case, tmp_path):
    source = picture(case.picture, tmp_path)
    output = tmp_path / case.output
    done = run_tavi("process", source, "-o", output, *case.options, expect=None)

    if case.outcome == REFUSED:
        assert done.returncode == 2, done.stderr
        assert case.says in done.stderr
        assert done.stderr.startswith("tavi: ")
        assert not output.exists()
        return
    assert done.returncode == 0, done.stderr
    assert output.exists()
    if case.outcome == NOTICE:
        assert case.says in done.stderr
        return

    assert done.stderr == "", f"an exact file with notices: {done.stderr}"
    reference = tmp_path / "reference.png"
    run_tavi("process", source, "-o", reference)
    _, expected = read_levels(reference)
    _, source_levels = read_levels(source)
    assert not numpy.array_equal(expected, source_levels), "the filter changed nothing: a weak case"
    spec, written = read_levels(output)
    if case.output.endswith(".exr"):
        # Premultiplied: the straight result converted, within the straight
        # 8-bit rounding, and never more colour than alpha.
        # Half holds each 8-bit level to within half a level.
        assert numpy.abs(written[..., 3] - expected[..., 3]).max() <= 0.5 / 255
        assert numpy.abs(written - premultiplied(expected)).max() <= 1 / 255 + 1e-6
        assert numpy.all(written[..., :3] <= written[..., 3:4] + 1e-6)
        return
    # The same levels, read as floats from whatever integers hold them
    # (102 of 255 is 26214 of 65535), to well within one 16-bit level.
    channels = min(spec.nchannels, expected.shape[2])
    assert numpy.abs(written[..., :channels] - expected[..., :channels]).max() <= 1e-6


def test_png_compression_levels_are_honoured(tmp_path):
    source = picture("rgba", tmp_path)
    sizes = {}
    for option in ("none", "zip:1", "zip:9"):
        output = tmp_path / f"{option.replace(':', '')}.png"
        run_tavi("process", source, "-o", output, "--compression", option)
        sizes[option] = output.stat().st_size
    assert sizes["none"] > sizes["zip:1"] >= sizes["zip:9"]


def test_the_docs_hold_the_table_these_cases_make():
    page = (REPOSITORY / "docs" / "image-files.md").read_text()
    start = page.index("<!-- output formats: made by tests/files/output_formats_table.py -->\n")
    end = page.index("<!-- end of output formats -->")
    made = page[start:end].split("\n", 1)[1]
    assert made == table(), "docs/image-files.md: run tests/files/output_formats_table.py and paste its table"
