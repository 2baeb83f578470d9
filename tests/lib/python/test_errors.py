"""Every argument tavi.antialias refuses, with the exception Python code
expects and a message that says what to pass."""
import numpy
import pytest

import tavi


def rgba(height=6, width=5):
    return numpy.zeros((height, width, 4), numpy.uint8)


def test_the_done_when_line():
    assert tavi.antialias(numpy.zeros((4, 4, 4), numpy.uint8)).shape == (4, 4, 4)


@pytest.mark.parametrize("image, words", [
    (b"\0" * 16, "must be a numpy array or nested lists of numbers, not bytes"),
    (None, "must be a numpy array or nested lists of numbers, not NoneType"),
    ("rgba", "must be a numpy array or nested lists of numbers, not str"),
    ({"pixels": 1}, "must be a numpy array or nested lists of numbers, not dict"),
    (numpy.zeros((4, 4, 4), numpy.int64), "dtype int64"),
    (numpy.zeros((4, 4, 4), numpy.bool_), "dtype bool"),
    (numpy.zeros((4, 4, 4), numpy.uint64), "uint8, uint16, uint32, int8, int16, int32, float16, float32 or float64"),
    ([[[True, False, True]]], "dtype bool"),
])
def test_wrong_types_raise_type_error(image, words):
    with pytest.raises(TypeError, match=words.replace("(", r"\(")):
        tavi.antialias(image)


@pytest.mark.parametrize("shape", [(4, 4), (4, 4, 1), (4, 4, 2), (4, 4, 5), (4,), (2, 4, 4, 4), ()])
def test_wrong_shapes_raise_value_error(shape):
    with pytest.raises(ValueError, match=r"height x width x 3 \(RGB\) or height x width x 4 \(RGBA\)"):
        tavi.antialias(numpy.zeros(shape, numpy.uint8))


@pytest.mark.parametrize("image, shape", [([], "(0,)"), ([[1, 2, 3]], "(1, 3)"), ([[[[0, 0, 0, 0]]]], "(1, 1, 1, 4)")])
def test_lists_of_wrong_shapes_raise_value_error(image, shape):
    with pytest.raises(ValueError, match=r"^image has shape " + shape.replace("(", r"\(").replace(")", r"\)")):
        tavi.antialias(image)


@pytest.mark.parametrize("keywords, words", [
    ({"target": "rgbx"}, 'target "rgbx" is none of "rgb", "alpha" and "rgba"'),
    ({"target": "RGB"}, 'target "RGB" is none of'),
    ({"alpha": "associated"}, 'alpha "associated" is neither "straight" nor "premultiplied"'),
    ({"strength": -1}, "strength -1 is outside 0 to 100"),
    ({"strength": 101}, "strength 101 is outside 0 to 100"),
    ({"threshold": -1}, "threshold -1 is outside 0 to 256"),
    ({"threshold": 257}, "threshold 257 is outside 0 to 256"),
    ({"strength": 2 ** 40}, "strength 1099511627776 is outside 0 to 100"),
    ({"threshold": -2 ** 70}, "threshold -1180591620717411303424 is outside 0 to 256"),
])
def test_settings_out_of_range_raise_value_error(keywords, words):
    with pytest.raises(ValueError, match=words):
        tavi.antialias(rgba(), **keywords)


def test_empty_images_and_the_ends_of_each_range():
    for shape in [(0, 0, 4), (0, 5, 3), (5, 0, 4)]:
        empty = numpy.zeros(shape, numpy.float32)
        assert tavi.antialias(empty).shape == shape
        assert tavi.antialias(empty, out=empty) is empty
    for keywords in [{"strength": 0, "threshold": 0}, {"strength": 100, "threshold": 256}]:
        assert tavi.antialias(rgba(), **keywords).shape == (6, 5, 4)
