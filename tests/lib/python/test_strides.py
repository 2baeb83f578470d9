"""Every layout numpy can give an image or out: each filters to what the
same samples give in a C-ordered array, whether the image is read, filtered
in place, or written into out, whatever the strides' signs and sizes. Empty
images come back empty; an out whose elements overlap is refused."""
import numpy
import pytest

import tavi
from conftest import aliased, in_units

DTYPES = [numpy.uint8, numpy.uint16, numpy.float16, numpy.float32, numpy.float64]


def misaligned(shape, dtype):
    """Samples one byte off their natural alignment."""
    size = int(numpy.prod(shape)) * numpy.dtype(dtype).itemsize
    return numpy.empty(size + 1, numpy.uint8)[1:].view(dtype).reshape(shape)


def stride_zero_on_a_single_row(shape, dtype):
    """One row whose row stride is 0, as numpy gives broadcastable views."""
    row = numpy.empty(shape[1:], dtype)
    return numpy.lib.stride_tricks.as_strided(row, shape=(1, *shape[1:]), strides=(0, *row.strides), writeable=True)


# Empty arrays of the logical shape (height, width, channels), each laid
# out differently in memory.
LAYOUTS = {
    "C order": lambda s, t: numpy.empty(s, t),
    "Fortran order": lambda s, t: numpy.empty(s, t, order="F"),
    "transposed": lambda s, t: numpy.empty((s[1], s[0], s[2]), t).transpose(1, 0, 2),
    "rows reversed": lambda s, t: numpy.empty(s, t)[::-1],
    "columns reversed": lambda s, t: numpy.empty(s, t)[:, ::-1],
    "channels reversed": lambda s, t: numpy.empty(s, t)[..., ::-1],
    "all reversed": lambda s, t: numpy.empty(s, t)[::-1, ::-1, ::-1],
    "transposed and reversed": lambda s, t: numpy.empty((s[1], s[0], s[2]), t).transpose(1, 0, 2)[::-1, :, ::-1],
    "planes": lambda s, t: numpy.empty((s[2], s[0], s[1]), t).transpose(1, 2, 0),
    "planes reversed": lambda s, t: numpy.empty((s[2], s[0], s[1]), t)[::-1, ::-1].transpose(1, 2, 0),
    "columns outermost": lambda s, t: numpy.empty((s[1], s[2], s[0]), t).transpose(2, 0, 1),
    "stepped": lambda s, t: numpy.empty((2 * s[0], 3 * s[1], 2 * s[2]), t)[::2, ::3, ::2],
    "stepped backwards": lambda s, t: numpy.empty((2 * s[0], 3 * s[1], 2 * s[2]), t)[::-2, ::-3, ::-2],
    "channels inside wider pixels": lambda s, t: numpy.empty((s[0], s[1], s[2] + 3), t)[:, :, 2:2 + s[2]],
    "channels backwards inside wider pixels": lambda s, t: numpy.empty((s[0], s[1], 2 * s[2] + 3), t)[:, :, -2::-2][:, :, :s[2]],
    "misaligned": misaligned,
    "misaligned and reversed": lambda s, t: misaligned(s, t)[::-1, ::-1, ::-1],
}


def laid_out(values, layout):
    array = LAYOUTS[layout](values.shape, values.dtype)
    array[...] = values
    assert numpy.array_equal(array, values)
    return array


def picture(dtype, channels=4, height=23, width=31):
    image = in_units(aliased(height, width, seed=41), dtype)
    return numpy.ascontiguousarray(image[..., :channels])


@pytest.mark.parametrize("layout", LAYOUTS)
@pytest.mark.parametrize("channels", [3, 4])
@pytest.mark.parametrize("dtype", DTYPES)
def test_an_image_of_any_layout(layout, channels, dtype):
    values = picture(dtype, channels)
    expected = tavi.antialias(values, strength=80)
    assert not numpy.array_equal(expected, values), "the picture has edges"
    image = laid_out(values, layout)
    got = tavi.antialias(image, strength=80)
    assert got.flags.c_contiguous and got.dtype == values.dtype
    assert numpy.array_equal(got, expected)
    assert numpy.array_equal(image, values), "the image is left alone"


@pytest.mark.parametrize("layout", LAYOUTS)
@pytest.mark.parametrize("channels", [3, 4])
@pytest.mark.parametrize("dtype", DTYPES)
def test_an_image_of_any_layout_filtered_in_place(layout, channels, dtype):
    values = picture(dtype, channels)
    expected = tavi.antialias(values, strength=80)
    image = laid_out(values, layout)
    assert tavi.antialias(image, out=image, strength=80) is image
    assert numpy.array_equal(image, expected)


@pytest.mark.parametrize("layout", LAYOUTS)
@pytest.mark.parametrize("channels", [3, 4])
@pytest.mark.parametrize("dtype", DTYPES)
def test_into_an_out_of_any_layout(layout, channels, dtype):
    values = picture(dtype, channels)
    expected = tavi.antialias(values, strength=80)
    out = laid_out(numpy.full_like(values, 7), layout)
    assert tavi.antialias(values, out=out, strength=80) is out
    assert numpy.array_equal(out, expected)


@pytest.mark.parametrize("image_layout, out_layout", [
    ("channels reversed", "rows reversed"),
    ("all reversed", "channels reversed"),
    ("planes reversed", "stepped backwards"),
    ("transposed and reversed", "misaligned and reversed"),
])
def test_both_of_unusual_layouts(image_layout, out_layout):
    values = picture(numpy.uint16)
    image = laid_out(values, image_layout)
    out = laid_out(numpy.zeros_like(values), out_layout)
    tavi.antialias(image, out=out, target="rgb")
    assert numpy.array_equal(out, tavi.antialias(values, target="rgb"))
    assert numpy.array_equal(image, values)


@pytest.mark.parametrize("view", [
    lambda a: a[:, ::-1],
    lambda a: a[::-1, :, ::-1],
    lambda a: a.transpose(1, 0, 2),
], ids=["mirrored", "upside down and channels reversed", "transposed"])
def test_an_out_that_overlaps_the_image(view):
    square = picture(numpy.uint8, height=31, width=31)
    expected = tavi.antialias(view(square.copy()))
    image = square.copy()
    # out holds the image's own elements in another order: the result is
    # that of the image as it was before any of it was overwritten.
    tavi.antialias(view(image), out=image)
    assert numpy.array_equal(image, expected)


def test_a_single_row_with_stride_zero():
    values = picture(numpy.uint8, height=1)
    expected = tavi.antialias(values)
    image = stride_zero_on_a_single_row(values.shape, values.dtype)
    image[...] = values
    assert numpy.array_equal(tavi.antialias(image), expected)
    out = stride_zero_on_a_single_row(values.shape, values.dtype)
    assert tavi.antialias(values, out=out) is out
    assert numpy.array_equal(out, expected)


@pytest.mark.parametrize("shape", [(0, 5, 4), (5, 0, 4), (0, 0, 3), (0, 7, 3)])
@pytest.mark.parametrize("layout", ["C order", "Fortran order", "all reversed", "channels reversed", "stepped"])
def test_empty_images_come_back_empty(shape, layout):
    image = LAYOUTS[layout](shape, numpy.uint8)
    got = tavi.antialias(image)
    assert got.shape == shape and got.dtype == numpy.uint8
    assert tavi.antialias(image, out=image) is image
    out = LAYOUTS[layout](shape, numpy.uint8)
    assert tavi.antialias(numpy.zeros(shape, numpy.uint8), out=out) is out


@pytest.mark.parametrize("strides", [
    (0, 4, 1),  # every row the same memory
    (200, 0, 1),  # every pixel of a row
    (200, 4, 0),  # every channel of a pixel
    (200, 2, 1),  # pixels overlapping by half
    (-200, -2, 1),  # the same, backwards
    (4, 100, 1),  # rows and columns through each other
])
def test_an_out_whose_elements_overlap_is_refused(strides):
    memory = numpy.zeros(20000, numpy.uint8)
    start = memory[10000:]  # room either way for the negative strides
    out = numpy.lib.stride_tricks.as_strided(start, shape=(40, 50, 4), strides=strides, writeable=True)
    before = memory.copy()
    with pytest.raises(ValueError) as raised:
        tavi.antialias(aliased(40, 50, seed=42), out=out)
    assert str(raised.value).startswith("out has elements that share memory")
    assert numpy.array_equal(memory, before), "nothing is written"
