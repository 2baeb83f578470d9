"""The settings of tavi.antialias are keyword arguments that the module
checks itself: each message names the argument and what was wrong with it,
shows text escaped and cut, and never prints the image."""
import inspect
import os
import subprocess
import sys
import textwrap

import numpy
import pytest

import tavi


def rgba(height=6, width=5):
    return numpy.zeros((height, width, 4), numpy.uint8)


def message(keywords, image=None, *more):
    image = rgba() if image is None else image
    with pytest.raises((TypeError, ValueError)) as raised:
        tavi.antialias(image, *more, **keywords)
    return raised


@pytest.mark.parametrize("keywords, words", [
    ({"strength": True}, "strength must be an int from 0 to 100, not bool"),
    ({"strength": 50.5}, "strength must be an int from 0 to 100, not float"),
    ({"threshold": "224"}, "threshold must be an int from 0 to 256, not str"),
    ({"threshold": numpy.bool_(True)}, "threshold must be an int from 0 to 256, not numpy.bool_"),
    ({"target": 2}, 'target must be a str such as "rgba", not int'),
    ({"alpha": None}, 'alpha must be a str such as "straight", not NoneType'),
    ({"enabled": None}, "enabled must be a bool (True or False), not NoneType"),
    ({"enabled": 0.0}, "enabled must be a bool (True or False), not float"),
    ({"enabled": 0}, "enabled must be a bool (True or False), not int"),
    ({"enabled": "False"}, "enabled must be a bool (True or False), not str"),
])
def test_a_setting_of_the_wrong_type_is_named(keywords, words):
    raised = message(keywords)
    assert raised.type is TypeError
    assert str(raised.value) == words


def test_numpy_scalars_count_as_int_and_bool():
    image = rgba()
    image[2:, :, :] = 255
    expected = tavi.antialias(image, strength=60, threshold=200, enabled=False)
    got = tavi.antialias(image, strength=numpy.int64(60), threshold=numpy.uint16(200), enabled=numpy.bool_(False))
    assert numpy.array_equal(got, expected)


def test_unknown_missing_and_repeated_arguments_are_named():
    cases = [
        ({"strenght": 60}, (), "antialias() got an unexpected keyword argument 'strenght'; it takes the image, out, "
                               "target, strength, threshold, alpha and enabled"),
        ({}, ("rgb",), "antialias() takes the image as its one positional argument, but 2 were given; give out, "
                       "target, strength, threshold, alpha and enabled by keyword"),
        ({"image": rgba()}, (), "antialias() got the image twice, by position and by keyword"),
    ]
    for keywords, more, words in cases:
        raised = message(keywords, None, *more)
        assert raised.type is TypeError
        assert str(raised.value) == words
    with pytest.raises(TypeError, match=r"^antialias\(\) missing its image, a numpy array or nested lists$"):
        tavi.antialias(strength=3)
    assert tavi.antialias(image=rgba()).shape == (6, 5, 4)


def test_no_message_prints_the_image():
    frame = numpy.full((1080, 1920, 4), 7, numpy.uint8)
    for keywords in [{"strenght": 60}, {"strength": "60"}, {"enabled": None}, {"target": "rbg"},
                     {"out": frame[:, :, :3]}, {"out": frame.astype(numpy.uint16)}, {"out": [frame]}]:
        text = str(message(keywords, frame).value)
        assert "\n" not in text and len(text) < 160, text
    text = str(message({}, frame, frame).value)
    assert "\n" not in text and len(text) < 160, text


def test_text_in_messages_is_escaped_and_cut():
    text = str(message({"target": "rgb\0\x1b[2J"}).value)
    assert text == r'target "rgb\x00\x1b[2J" is none of "rgb", "alpha" and "rgba"'
    text = str(message({"alpha": "x" * 10_000_000}).value)
    assert text == 'alpha "' + "x" * 40 + '..." is neither "straight" nor "premultiplied"'
    text = str(message({"bad\0name\n": 1}).value)
    assert r"'bad\x00name\x0a'" in text


def test_the_signature_is_documented():
    assert str(inspect.signature(tavi.antialias)) == \
        "(image, *, out=None, target='rgba', strength=100, threshold=224, alpha='straight', enabled=True)"


@pytest.mark.skipif("asan" in os.environ.get("LD_PRELOAD", ""),
                    reason="the address sanitizer reserves more address space than the limit this test sets")
def test_out_of_memory_raises_memory_error_with_the_librarys_sentence():
    # A process whose address space has room for the image and its copy,
    # but not for the filter's working planes.
    script = textwrap.dedent("""
        import resource, numpy, tavi
        image = numpy.zeros((2000, 2000, 4), numpy.uint8)
        image[1000:, :, 3] = 255
        with open("/proc/self/statm") as statm:
            used = int(statm.read().split()[0]) * resource.getpagesize()
        room = used + 2 * image.nbytes
        resource.setrlimit(resource.RLIMIT_AS, (room, room))
        try:
            tavi.antialias(image)
        except MemoryError as error:
            print("MemoryError:", error)
    """)
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    assert run.stdout.startswith("MemoryError: not enough memory"), run.stdout + run.stderr
