"""tavi.antialias(image, out=...) writes the result into an array of the
caller's, as numpy's functions do: into the image itself to filter in
place, into any writeable array of the image's shape and dtype, whatever
its strides, and refuses every other out, naming what is wrong with it,
before anything is written."""
import threading

import numpy
import pytest

import tavi
from conftest import aliased, in_units


@pytest.fixture
def image():
    return aliased(40, 50, seed=31)


@pytest.mark.parametrize("dtype", [numpy.uint8, numpy.uint16, numpy.float16, numpy.float32, numpy.float64])
def test_in_place_gives_the_new_arrays_result(dtype):
    image = in_units(aliased(40, 50, seed=32), dtype)
    before = image.copy()
    expected = tavi.antialias(image, strength=60)
    returned = tavi.antialias(image, out=image, strength=60)
    assert returned is image
    assert numpy.array_equal(image, expected)
    assert not numpy.array_equal(image, before)


def test_in_place_in_a_view_touches_nothing_around_it(image):
    frame = numpy.tile(image, (3, 3, 1))
    around = frame.copy()
    view = frame[40:80, 50:100]
    expected = tavi.antialias(view)
    assert tavi.antialias(view, out=view) is view
    assert numpy.array_equal(frame[40:80, 50:100], expected)
    frame[40:80, 50:100] = around[40:80, 50:100]
    assert numpy.array_equal(frame, around), "only the view changed"


@pytest.mark.parametrize("make", [
    lambda shape, dtype: numpy.empty(shape, dtype),
    lambda shape, dtype: numpy.empty(shape, dtype, order="F"),
    lambda shape, dtype: numpy.empty((shape[1], shape[0], shape[2]), dtype).transpose(1, 0, 2),
    lambda shape, dtype: numpy.empty((shape[0] * 2, shape[1], shape[2] + 1), dtype)[::2, :, 1:],
], ids=["C order", "Fortran order", "transposed", "strided"])
def test_into_another_array_of_any_layout(image, make):
    out = make(image.shape, image.dtype)
    before = image.copy()
    assert tavi.antialias(image, out=out, target="rgb") is out
    assert numpy.array_equal(out, tavi.antialias(image, target="rgb"))
    assert numpy.array_equal(image, before)


def test_an_out_that_overlaps_the_image(image):
    # out is the image mirrored: numpy's copy into it sees the overlap.
    expected = tavi.antialias(image)
    tavi.antialias(image, out=image[:, ::-1])
    assert numpy.array_equal(image[:, ::-1], expected)


def test_a_list_into_an_array(image):
    out = numpy.zeros_like(image)
    tavi.antialias(image.tolist(), out=out)
    assert numpy.array_equal(out, tavi.antialias(image))


def untouched_after(call, out):
    before = numpy.array(out, copy=True)
    with pytest.raises((TypeError, ValueError)) as raised:
        call()
    assert numpy.array_equal(out, before), "a refused out is left as it was"
    return raised


def test_wrong_out_arrays_are_named_and_left_alone(image):
    shared = numpy.lib.stride_tricks.as_strided(numpy.zeros(4 * 50, numpy.uint8), shape=image.shape,
                                                strides=(0, 4, 1), writeable=True)
    read_only = numpy.zeros_like(image)
    read_only.flags.writeable = False
    cases = [
        (numpy.zeros((40, 50, 3), numpy.uint8), ValueError, "out has shape (40, 50, 3), not the image's (40, 50, 4)"),
        (numpy.zeros((50, 40, 4), numpy.uint8), ValueError, "out has shape (50, 40, 4), not the image's (40, 50, 4)"),
        (numpy.zeros((40, 50, 4), numpy.float32), TypeError,
         "out has dtype float32, not the result's uint8: the image's dtype in native byte order (uint8 for a list "
         "of ints)"),
        (read_only, ValueError, "out is read-only"),
        (numpy.broadcast_to(numpy.zeros(4, numpy.uint8), image.shape), ValueError, "out is read-only"),
        (shared, ValueError, "out has elements that share memory (a broadcast or as_strided view?); pass an array "
                             "whose elements are its own"),
    ]
    for out, kind, words in cases:
        raised = untouched_after(lambda: tavi.antialias(image, out=out), out)
        assert raised.type is kind and str(raised.value) == words


def test_the_other_byte_order_is_no_out_for_its_twin():
    image = in_units(aliased(10, 12, seed=33), numpy.uint16)
    out = numpy.zeros(image.shape, ">u2")
    raised = untouched_after(lambda: tavi.antialias(image, out=out), out)
    assert raised.type is TypeError and str(raised.value).startswith("out has dtype >u2, not the result's uint16")
    # A swapped image comes back native, so its out is native too.
    native = numpy.zeros(image.shape, numpy.uint16)
    tavi.antialias(image.astype(">u2"), out=native)
    assert numpy.array_equal(native, tavi.antialias(image))


@pytest.mark.parametrize("out, words", [
    ([[[0, 0, 0, 0]]], "out must be a numpy array (or None for a new one), not list"),
    (memoryview(bytearray(4)), "out must be a numpy array (or None for a new one), not memoryview"),
    (0, "out must be a numpy array (or None for a new one), not int"),
])
def test_out_that_is_no_array_is_a_type_error(image, out, words):
    with pytest.raises(TypeError) as raised:
        tavi.antialias(image, out=out)
    assert str(raised.value) == words


def test_out_none_is_a_new_array(image):
    assert numpy.array_equal(tavi.antialias(image, out=None), tavi.antialias(image))


def test_the_gil_is_released_while_filtering_in_place():
    image = numpy.tile(aliased(256, 256, seed=34), (6, 6, 1))
    inside, done = threading.Event(), threading.Event()

    def filter_it():
        inside.set()
        tavi.antialias(image, out=image)
        done.set()

    thread = threading.Thread(target=filter_it)
    thread.start()
    inside.wait()
    steps = 0
    while not done.is_set():
        steps += 1
    thread.join()
    assert steps > 1000
