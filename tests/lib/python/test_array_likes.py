"""tavi.antialias takes what numpy can view, as a numpy user passes it:
slices, transposed and Fortran-ordered arrays, views with the channels far
apart, nested lists, buffers and the other byte order. Each gives what the
same samples in a C-ordered array give, into a new C-ordered array, and the
image is read where it lies, copied only where it must be."""
import tracemalloc

import numpy
import pytest

import tavi
from conftest import aliased, in_units


class Frame(numpy.ndarray):
    """An array subclass, as libraries make them."""


def packed_result(view, **keywords):
    return tavi.antialias(numpy.ascontiguousarray(view), **keywords)


def test_the_samples_of_the_right_type_need_no_change():
    image = aliased(40, 50, seed=21)
    assert not numpy.array_equal(tavi.antialias(image), image), "the picture has edges"


@pytest.mark.parametrize("view", [
    lambda a: a[::2],
    lambda a: a[3:-2, 1::3],
    lambda a: a[::-1, ::-1],
    lambda a: a.transpose(1, 0, 2),
    lambda a: a[..., ::-1],  # BGRA read as RGBA
    lambda a: a[..., :3],
    lambda a: numpy.asfortranarray(a),
    lambda a: a[::3, ::2].view(Frame),
], ids=["rows", "crop", "reversed", "transposed", "channels reversed", "RGB of RGBA", "Fortran", "subclass"])
@pytest.mark.parametrize("dtype", [numpy.uint8, numpy.uint16, numpy.float32])
def test_views_give_what_their_samples_give(view, dtype):
    image = in_units(aliased(40, 50, seed=22), dtype)
    seen = view(image)
    before = image.copy()
    got = tavi.antialias(seen, strength=70)
    assert numpy.array_equal(image, before), "the image is left alone"
    assert type(got) is numpy.ndarray and got.dtype == dtype and got.flags.c_contiguous
    assert not numpy.shares_memory(got, image)
    assert numpy.array_equal(got, packed_result(seen, strength=70))
    assert not numpy.array_equal(got, seen), "the view has edges"


def test_channels_planes_apart_as_moveaxis_gives_them(tmp_path):
    # Four planes of a 32768 x 32768 frame in a sparse file: the channel
    # axis strides a whole plane, 1 GiB, so alpha lies 3 GiB from red,
    # beyond the frame rules' reach: a packed copy is filtered instead.
    side = 1 << 15
    planes = numpy.memmap(tmp_path / "planes.raw", numpy.uint8, "w+", shape=(4, side, side))
    corner = aliased(30, 40, seed=23)
    planes[:, :30, :40] = corner.transpose(2, 0, 1)
    view = numpy.moveaxis(planes, 0, -1)[:30, :40]
    assert view.strides[2] == side * side
    expected = tavi.antialias(corner)
    assert numpy.array_equal(tavi.antialias(view), expected)
    assert numpy.array_equal(tavi.antialias(view, out=view), expected)
    assert numpy.array_equal(planes[:, :30, :40].transpose(1, 2, 0), expected), "filtered in place"
    del planes, view


def test_nested_lists_of_ints_are_eight_bit_samples():
    image = aliased(20, 30, seed=24)
    for form in (image.tolist(), tuple(map(tuple, image.tolist()))):
        got = tavi.antialias(form, strength=80)
        assert got.dtype == numpy.uint8
        assert numpy.array_equal(got, tavi.antialias(image, strength=80))


def test_nested_lists_of_floats_are_float64():
    image = in_units(aliased(20, 30, seed=25), numpy.float64)
    got = tavi.antialias(image.tolist())
    assert got.dtype == numpy.float64
    assert numpy.array_equal(got, tavi.antialias(image))


def test_lists_keep_the_dtype_numpy_gives_their_arrays():
    image = in_units(aliased(20, 30, seed=26), numpy.uint16)
    got = tavi.antialias(list(image))  # a list of uint16 rows
    assert got.dtype == numpy.uint16
    assert numpy.array_equal(got, tavi.antialias(image))


@pytest.mark.parametrize("value", [256, -1, 65535])
def test_lists_of_ints_beyond_a_byte_are_refused(value):
    image = aliased(4, 4, seed=27).tolist()
    image[2][1][0] = value
    with pytest.raises(ValueError) as raised:
        tavi.antialias(image)
    assert str(raised.value) == (f"image is a list of ints, taken as 8-bit samples, but holds {value}, outside 0 to "
                                 "255; for other samples pass a numpy array, such as numpy.array(image, "
                                 "numpy.uint16)")


def test_uneven_lists_are_refused():
    with pytest.raises(ValueError, match=r"^image is a list whose rows or pixels differ in length; numpy cannot "
                                         r"make an array of it$"):
        tavi.antialias([[[0, 0, 0, 0], [0, 0, 0]], [[0, 0, 0, 0], [0, 0, 0, 0]]])


def test_buffers_and_array_interfaces_are_viewed():
    image = aliased(20, 30, seed=28)
    expected = tavi.antialias(image)

    class Exported:
        """Pixels held by another library, handed over as numpy's protocol."""
        def __init__(self, pixels):
            self.__array_interface__ = pixels.__array_interface__
            self.keep = pixels

    assert numpy.array_equal(tavi.antialias(memoryview(image)), expected)
    assert numpy.array_equal(tavi.antialias(Exported(image)), expected)
    assert numpy.array_equal(image, aliased(20, 30, seed=28)), "the exporter's pixels are left alone"


@pytest.mark.parametrize("dtype", [numpy.uint16, numpy.float32, numpy.float64, numpy.int16])
def test_the_other_byte_order_comes_back_native(dtype):
    image = in_units(aliased(30, 40, seed=29), dtype)
    swapped = image.astype(image.dtype.newbyteorder())
    got = tavi.antialias(swapped)
    assert got.dtype == numpy.dtype(dtype) and got.dtype.isnative
    assert numpy.array_equal(got, tavi.antialias(image))


@pytest.mark.parametrize("dtype, words", [
    (numpy.int64, "int64; tavi takes uint8, uint16, uint32, int8, int16, int32, float16, float32 or float64 samples "
                  "(for samples from 0 to 255 pass image.astype(numpy.uint8))"),
    (numpy.uint64, "uint64; tavi takes"),
    (numpy.bool_, "bool; tavi takes"),
    (numpy.complex64, "complex64; tavi takes"),
    (numpy.longdouble, "float128; tavi takes"),
    (numpy.object_, "object; tavi takes"),
])
def test_dtypes_without_a_stated_meaning_are_refused(dtype, words):
    with pytest.raises(TypeError) as raised:
        tavi.antialias(numpy.zeros((4, 4, 4), dtype))
    assert str(raised.value).startswith("image has dtype " + words)


def traced_peak(call):
    """The most memory numpy allocated while `call` ran, in bytes."""
    tracemalloc.start()
    try:
        call()
        return tracemalloc.get_traced_memory()[1]
    finally:
        tracemalloc.stop()


def test_copies_only_where_it_must():
    image = aliased(400, 500, seed=30)
    frame = image.nbytes
    # A new result is one copy, from a view as from a packed array ...
    for view in (image, image.transpose(1, 0, 2), numpy.asfortranarray(image)):
        assert frame <= traced_peak(lambda: tavi.antialias(view)) < 1.2 * frame
    # ... filtering in place none, also of a view ...
    target = numpy.asfortranarray(image)
    assert traced_peak(lambda: tavi.antialias(target, out=target)) < 0.05 * frame
    # ... and the other byte order one more, into which it is filtered.
    swapped = in_units(image, ">u2")
    assert traced_peak(lambda: tavi.antialias(swapped)) < 1.2 * swapped.nbytes
