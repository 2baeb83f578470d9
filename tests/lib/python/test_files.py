"""tavi.antialias_file writes the file `tavi process` writes from the same
file, replaces a file in place by the command's atomic write, and leaves
every file as it was when it fails, with a message naming it."""
import os
import pathlib
import subprocess
import sys

import numpy
import OpenImageIO as oiio
import pytest

import tavi
from conftest import aliased, read_stored, write_stored


def command(tavi_exe, source, target, *options):
    subprocess.run([str(tavi_exe), "process", "-q", str(source), "-o", str(target), *options], check=True)


class Named(os.PathLike):
    """A path object of a caller's own."""

    def __init__(self, path):
        self.path = path

    def __fspath__(self):
        return self.path


def straight_rgba():
    return aliased(60, 80, seed=11)


def render_exr(path, layers):
    """A premultiplied half-float OpenEXR file: for each named layer its
    R, G, B and A (layer "" unnamed), and a depth channel."""
    names, planes = [], []
    for n, layer in enumerate(layers):
        rgba = aliased(40, 50, seed=20 + n).astype(numpy.float32) / 255
        rgba[..., :3] *= rgba[..., 3:]
        prefix = layer + "." if layer else ""
        names += [prefix + c for c in "RGBA"]
        planes += [rgba[..., i] for i in range(4)]
    names.append("Depth.Z")
    planes.append(numpy.linspace(1, 9, 40 * 50, dtype=numpy.float32).reshape(40, 50))
    spec = oiio.ImageSpec(50, 40, len(names), oiio.HALF)
    spec.channelnames = tuple(names)
    spec.channelformats = tuple([oiio.HALF] * (len(names) - 1) + [oiio.FLOAT])
    out = oiio.ImageOutput.create(str(path))
    assert out.open(str(path), spec), out.geterror()
    assert out.write_image(numpy.stack(planes, axis=-1).astype(numpy.float32)), out.geterror()
    out.close()


@pytest.mark.parametrize("name, pixels, keywords, options", [
    ("frame.png", straight_rgba(), {}, []),
    ("frame.png", straight_rgba(), {"target": "rgb", "strength": 60, "threshold": 200},
     ["--target", "rgb", "--strength", "60", "--threshold", "200"]),
    ("deep.png", straight_rgba().astype(numpy.uint16) * 257, {"target": "alpha"}, ["--target", "alpha"]),
    ("frame.tif", straight_rgba(), {"alpha": "premultiplied"}, ["--alpha", "premultiplied"]),
    ("frame.png", straight_rgba(), {"enabled": False}, ["--disable"]),
])
def test_the_file_is_the_one_tavi_process_writes(tmp_path, tavi_exe, name, pixels, keywords, options):
    source = tmp_path / name
    write_stored(source, pixels)
    before = source.read_bytes()
    notices = tavi.antialias_file(source, tmp_path / ("mine-" + name), **keywords)
    command(tavi_exe, source, tmp_path / ("theirs-" + name), *options)
    assert source.read_bytes() == before, "the input is left alone"
    assert (tmp_path / ("mine-" + name)).read_bytes() == (tmp_path / ("theirs-" + name)).read_bytes()
    assert notices == []


@pytest.mark.parametrize("layers, layer", [([""], ""), (["Composite.Combined", "ViewLayer.Combined"], "ViewLayer.Combined")])
def test_a_layer_of_an_openexr_file(tmp_path, tavi_exe, layers, layer):
    source = tmp_path / "render.exr"
    render_exr(source, layers)
    tavi.antialias_file(str(source), str(tmp_path / "mine.exr"), layer=layer, strength=70)
    command(tavi_exe, source, tmp_path / "theirs.exr", "--strength", "70", *(["--layer", layer] if layer else []))
    assert (tmp_path / "mine.exr").read_bytes() == (tmp_path / "theirs.exr").read_bytes()
    mine = read_stored(tmp_path / "mine.exr")
    assert not numpy.array_equal(mine, read_stored(source)), "the filter changed something"


def test_a_format_that_holds_less_gives_notices(tmp_path):
    source = tmp_path / "render.exr"
    render_exr(source, [""])
    notices = tavi.antialias_file(source, tmp_path / "flat.png")
    assert any("other channels not written" in notice for notice in notices), notices


def test_without_an_output_the_file_is_replaced_in_place(tmp_path, tavi_exe):
    source = tmp_path / "frame.png"
    write_stored(source, straight_rgba())
    command(tavi_exe, source, tmp_path / "theirs.png")
    os.chmod(source, 0o640)
    assert tavi.antialias_file(source) == []
    assert source.read_bytes() == (tmp_path / "theirs.png").read_bytes()
    assert oct(os.stat(source).st_mode & 0o777) == oct(0o640), "the file keeps its permissions"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["frame.png", "theirs.png"], "no temporary file is left"


def test_a_missing_or_broken_file_raises_os_error_naming_it(tmp_path):
    with pytest.raises(OSError, match=str(tmp_path / "none.png")):
        tavi.antialias_file(tmp_path / "none.png")
    broken = tmp_path / "broken.png"
    broken.write_bytes(b"\x89PNG\r\n\x1a\nnot really")
    with pytest.raises(OSError, match=str(broken)):
        tavi.antialias_file(broken)
    assert broken.read_bytes() == b"\x89PNG\r\n\x1a\nnot really"


def test_an_output_that_cannot_be_written_raises_and_touches_nothing(tmp_path):
    source = tmp_path / "frame.png"
    write_stored(source, straight_rgba())
    target = tmp_path / "missing" / "out.png"
    with pytest.raises(OSError, match=str(target)):
        tavi.antialias_file(source, target)
    assert not (tmp_path / "missing").exists()


def test_a_failed_write_in_place_keeps_the_old_file(tmp_path):
    """With files limited to half the frame's size the filtered frame
    cannot be written: the frame stays as it was, and no temporary file is
    left."""
    source = tmp_path / "frame.png"
    write_stored(source, straight_rgba())
    before = source.read_bytes()
    script = (
        "import resource, signal, sys, tavi\n"
        "signal.signal(signal.SIGXFSZ, signal.SIG_IGN)\n"
        "resource.setrlimit(resource.RLIMIT_FSIZE, (int(sys.argv[2]), int(sys.argv[2])))\n"
        "try:\n"
        "    tavi.antialias_file(sys.argv[1])\n"
        "except OSError as e:\n"
        "    print(e)\n"
    )
    run = subprocess.run([sys.executable, "-c", script, str(source), str(len(before) // 2)],
                         capture_output=True, text=True, check=True)
    assert run.stdout.startswith(f"{source}: cannot write"), run.stdout + run.stderr
    assert source.read_bytes() == before
    assert [p.name for p in tmp_path.iterdir()] == ["frame.png"]


@pytest.mark.parametrize("keywords, words", [
    ({"strength": 101}, "strength 101 is outside 0 to 100"),
    ({"threshold": -1}, "threshold -1 is outside 0 to 256"),
    ({"target": "red"}, "target \"red\""),
    ({"alpha": "associated"}, "alpha \"associated\""),
])
def test_bad_settings_raise_value_error_before_the_file_is_read(tmp_path, keywords, words):
    with pytest.raises(ValueError, match=words):
        tavi.antialias_file(tmp_path / "none.png", **keywords)


@pytest.mark.parametrize("arguments, keywords, words", [
    ((123,), {}, "path must be a str, bytes or an os.PathLike, not int"),
    (("a.png", 7), {}, "output must be a str, bytes or an os.PathLike, not int"),
    ((bytearray(b"a.png"),), {}, "path must be a str, bytes or an os.PathLike, not bytearray"),
    ((Named(7),), {}, "expected Named.__fspath__\\(\\) to return str or bytes, not int"),
    (("a.png",), {"strength": True}, "strength must be an int from 0 to 100, not bool"),
    (("a.png",), {"enabled": 1}, "enabled must be a bool"),
    (("a.png",), {"layer": 3}, "layer must be a str"),
    (("a.png",), {"stregth": 5}, "unexpected keyword argument 'stregth'"),
    ((), {}, "missing its path"),
])
def test_arguments_of_the_wrong_type_are_named(arguments, keywords, words):
    with pytest.raises(TypeError, match=words):
        tavi.antialias_file(*arguments, **keywords)


PATH_KINDS = {
    "str": str,
    "bytes": os.fsencode,
    "os.PathLike": Named,
    "os.PathLike of bytes": lambda text: Named(os.fsencode(text)),
    "pathlib.Path": pathlib.Path,
}


@pytest.mark.parametrize("kind", PATH_KINDS)
@pytest.mark.parametrize("argument", ["path", "output"])
@pytest.mark.parametrize("by", ["position", "keyword"])
def test_a_path_holding_a_nul_is_refused_and_names_no_other_file(tmp_path, kind, argument, by):
    """The system would read "b.png\\0x" as b.png: Python's own os
    functions refuse such a name, and so does tavi, touching no file."""
    source = tmp_path / "b.png"
    write_stored(source, straight_rgba())
    before = source.read_bytes()
    paths = {"path": str(source), "output": str(tmp_path / "c.png")}
    paths[argument] += "\0x"
    named = {name: PATH_KINDS[kind](text) for name, text in paths.items()}
    with pytest.raises(ValueError) as raised:
        if by == "position":
            tavi.antialias_file(named["path"], named["output"])
        else:
            tavi.antialias_file(path=named["path"], output=named["output"])
    assert str(raised.value) == f"{argument} {os.fspath(named[argument])!r} holds a NUL character, which no file name can"
    with pytest.raises(ValueError):
        os.stat(named[argument])  # as Python itself
    assert source.read_bytes() == before
    assert sorted(p.name for p in tmp_path.iterdir()) == ["b.png"]


def test_a_path_holding_a_nul_in_place_leaves_the_file(tmp_path):
    source = tmp_path / "b.png"
    write_stored(source, straight_rgba())
    before = source.read_bytes()
    with pytest.raises(ValueError, match="^path .* holds a NUL character"):
        tavi.antialias_file(str(source) + "\0")
    assert source.read_bytes() == before


def test_a_layer_holding_a_nul_is_refused(tmp_path):
    with pytest.raises(ValueError, match=r'^layer "beauty\\x00x" holds a NUL character'):
        tavi.antialias_file(tmp_path / "b.exr", layer="beauty\0x")


@pytest.mark.parametrize("kind", PATH_KINDS)
def test_every_kind_of_path_names_the_file_tavi_process_writes(tmp_path, tavi_exe, kind):
    source = tmp_path / "frame.png"
    write_stored(source, straight_rgba())
    command(tavi_exe, source, tmp_path / "theirs.png")
    tavi.antialias_file(PATH_KINDS[kind](str(source)), PATH_KINDS[kind](str(tmp_path / "mine.png")))
    assert (tmp_path / "mine.png").read_bytes() == (tmp_path / "theirs.png").read_bytes()


def test_a_name_that_is_not_utf8_is_the_file_of_those_bytes(tmp_path, tavi_exe):
    """os.listdir gives such a name as a str with surrogates, or as bytes
    when asked in bytes: either is the same file, and messages name it as
    Python does."""
    folder = os.fsencode(tmp_path)
    source, target = folder + b"/caf\xe9.png", folder + b"/smooth-caf\xe9.png"
    write_stored(tmp_path / "plain.png", straight_rgba())
    os.rename(tmp_path / "plain.png", source)
    command(tavi_exe, os.fsdecode(source), tmp_path / "theirs.png")
    tavi.antialias_file(os.fsdecode(source), os.fsdecode(target))
    with open(target, "rb") as written:
        assert written.read() == (tmp_path / "theirs.png").read_bytes()
    os.remove(target)
    tavi.antialias_file(source, target)
    with open(target, "rb") as written:
        assert written.read() == (tmp_path / "theirs.png").read_bytes()
    missing = os.fsdecode(folder + b"/none-\xe9.png")
    with pytest.raises(OSError) as raised:
        tavi.antialias_file(missing)
    assert str(raised.value) == f"{missing}: no such file"


def test_an_empty_output_is_no_file_not_the_input(tmp_path):
    """An output of "" names no file; it never means in place."""
    source = tmp_path / "frame.png"
    write_stored(source, straight_rgba())
    before = source.read_bytes()
    with pytest.raises(OSError):
        tavi.antialias_file(source, "")
    assert source.read_bytes() == before
    assert [p.name for p in tmp_path.iterdir()] == ["frame.png"]
