"""Every command the README, the pages of docs/ and the manual page show
runs, on files this test makes: each ```console transcript prints what it
shows ("..." for text that varies, such as times), and each ```sh command
ends with status 0 and leaves the outputs it names; the commands it cannot
run here are listed, with the test that runs them, in where_tested.py.
Code blocks that are not fenced as commands hold no command, so nothing
shown goes untested.

Run with TAVI_BUILD_DIR naming the build folder (ctest sets it).
"""
import os
import pathlib
import re
import shutil
import subprocess

import numpy
import OpenImageIO as oiio
import pytest

from shown import COMMAND_WORDS, ROOT, blocks, commands, pages, transcripts
from where_tested import ELSEWHERE

BUILD = pathlib.Path(os.environ.get("TAVI_BUILD_DIR", ROOT / "build")).resolve()
GEGL_PLUGINS = "/usr/lib/x86_64-linux-gnu/gegl-0.4"


def frame(seed, width=40, height=30, channels=4):
    """A hard-edged disc over a band, straight alpha below 1 outside."""
    rng = numpy.random.default_rng(seed)
    y, x = numpy.mgrid[0:height, 0:width] + 0.5
    picture = numpy.empty((height, width, channels))
    picture[...] = rng.uniform(0.1, 0.9, channels)
    inside = (x - width * rng.uniform(0.3, 0.7)) ** 2 + (y - height / 2) ** 2 < (height * 0.35) ** 2
    picture[inside] = rng.uniform(0.1, 0.9, channels)
    if channels == 4:
        picture[..., 3] = numpy.where(inside, 1.0, 0.6)
    return picture


def save(path, picture, kind="uint8"):
    path.parent.mkdir(parents=True, exist_ok=True)
    spec = oiio.ImageSpec(picture.shape[1], picture.shape[0], picture.shape[2], kind)
    if picture.shape[2] == 4:
        spec.alpha_channel = 3
        if not path.suffix == ".exr":
            spec.attribute("oiio:UnassociatedAlpha", 1)
    data = numpy.round(picture * 255).astype(numpy.uint8) if kind == "uint8" else picture.astype(numpy.float16)
    out = oiio.ImageOutput.create(str(path))
    assert out.open(str(path), spec), oiio.geterror()
    assert out.write_image(data), out.geterror()
    out.close()


def frames_listed(listing):
    """The numbers of a --frames list: 1001-1050,1060,1100-1200x10."""
    numbers = []
    for item in listing.split(","):
        step = 1
        if "x" in item:
            item, step = item.split("x")
        first, _, last = item.partition("-")
        numbers += list(range(int(first), int(last or first) + 1, int(step)))
    return numbers


@pytest.fixture(scope="module")
def world(tmp_path_factory):
    """A folder holding every file the examples name, `build` leading to
    the build tree and `include` to the sources', with a home of its own."""
    where = tmp_path_factory.mktemp("world")
    (where / "build").symlink_to(BUILD)
    (where / "include").symlink_to(ROOT / "include")
    (where / "home").mkdir()
    save(where / "render.png", frame(1))
    save(where / "render.exr", frame(2), "half")
    for n in range(1, 5):
        save(where / "frames" / f"shot.{n:04d}.png", frame(10 + n))
        save(where / f"shot.{n:04d}.png", frame(20 + n))
    for n in range(5, 101):
        save(where / f"shot.{n:04d}.png", frame(20 + n, 16, 12))
    for name in ("a", "b"):
        save(where / "in" / f"{name}.tif", frame(ord(name)))
    for n in set(frames_listed("1001-1100") + frames_listed("1001-1050,1060,1100-1200x10")):
        save(where / f"shot.{n}.exr", frame(n, 16, 12), "half")
    (where / "shot.tvs").write_text("TaviScene 1\nImageFilter \"Tavi\" on 2 100 224\n")
    return where


def environment(world):
    env = dict(os.environ, HOME=str(world / "home"), LC_ALL="C.UTF-8")
    env["PATH"] = f"{BUILD}:{env['PATH']}"
    env["GEGL_PATH"] = f"{BUILD / 'gegl'}:{GEGL_PLUGINS}"
    return env


def run(command, world):
    return subprocess.run(["bash", "-c", command], cwd=world, env=environment(world), capture_output=True,
                          text=True, timeout=300)


def matches(expected, printed):
    """Whether the printed lines are the expected ones, "..." standing for
    any text within a line."""
    if len(expected) != len(printed):
        return False
    for want, got in zip(expected, printed):
        pattern = "^" + ".*".join(re.escape(part) for part in want.split("...")) + "$"
        if not re.match(pattern, got):
            return False
    return True


def outputs_of(command):
    """What a tavi command writes: the argument of -o and of --save-scene."""
    words = command.split()
    return [words[i + 1] for i, word in enumerate(words[:-1]) if word in ("-o", "--output", "--save-scene")]


TRANSCRIPTS = transcripts()
RUN_HERE = [(where, command) for where, command in commands() if command not in ELSEWHERE]


@pytest.mark.parametrize("block,steps", TRANSCRIPTS, ids=[block.where() for block, _ in TRANSCRIPTS])
def test_a_transcript_prints_what_it_shows(block, steps, world):
    if "smooth.c" in block.text:
        pytest.skip("the C library's example: the test library_doc_example builds and runs it")
    status = 0
    for command, expected in steps:
        command = command.replace("$?", str(status))
        done = run(command, world)
        status = done.returncode
        printed = (done.stdout + done.stderr).split("\n")
        printed = printed[:-1] if printed and printed[-1] == "" else printed
        assert matches(expected, printed), f"{block.where()}: $ {command}\nprinted:\n" + "\n".join(printed)


@pytest.mark.parametrize("where,command", RUN_HERE, ids=[f"{w} {c}" for w, c in RUN_HERE])
def test_a_command_shown_runs_as_shown(where, command, world):
    for output in outputs_of(command):
        target = world / output
        if target.is_dir():
            shutil.rmtree(target)
        elif target.exists():
            target.unlink()
    done = run(command, world)
    assert done.returncode == 0, f"{where}: {command}\n{done.stdout}{done.stderr}"
    dry = " -n " in f" {command} " or "--dry-run" in command
    for output in outputs_of(command):
        if "#" in output or "%" in output:
            written = list((world / output).parent.glob("*"))
        else:
            written = [world / output] if (world / output).exists() else []
            if (world / output).is_dir():
                written = list((world / output).iterdir())
        if dry:
            assert not written, f"{where}: the dry run {command} wrote {written}"
        else:
            assert written, f"{where}: {command} wrote nothing at {output}"


def test_every_command_shown_is_run_here_or_listed_where_it_is():
    shown = {command for _, command in commands()}
    stale = sorted(set(ELSEWHERE) - shown)
    assert not stale, f"where_tested.py lists commands no page shows any more: {stale}"


def test_no_command_is_shown_outside_a_block_that_is_tested():
    untested = []
    for page in pages():
        for block in blocks(page):
            if block.kind not in ("indented", "text", ""):
                continue
            for offset, line in enumerate(block.text.split("\n")):
                if COMMAND_WORDS.match(line.strip()):
                    untested.append(f"{block.where()}+{offset}: {line.strip()}")
    assert not untested, "commands outside ```sh or ```console blocks: " + "; ".join(untested)


def test_every_page_says_in_its_first_line_who_it_is_for():
    for page in pages()[1:]:
        first = page.read_text().split("\n", 1)[0]
        assert first.startswith("For "), f"{page.relative_to(ROOT)} begins {first!r}, not with whom it is for"
