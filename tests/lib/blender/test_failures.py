"""When a frame cannot be filtered, the frame Blender wrote stays on disk
untouched, and the report names the frame and the reason: a file no reader
takes, a file that cannot be written, settings the filter refuses, a lossy
format, a module that cannot be loaded."""
import json

import pytest

from conftest import UNFILTERED, install_addon, run_blender, same_samples, tavi_process

JUNK = b"these bytes are no image"


@pytest.fixture(scope="module")
def session(tmp_path_factory, addon_user):
    out = tmp_path_factory.mktemp("failures")
    run = run_blender("failures.py", out, user=addon_user, temporary=tmp_path_factory.mktemp("tmp"),
                      status=UNFILTERED)
    return out, run


def test_a_frame_no_reader_takes_stays_as_it_is(session):
    out, run = session
    frame = out / "frame_0001.png"
    assert frame.read_bytes() == JUNK
    assert f"Tavi: frame 1 not filtered: {frame}: " in run.stderr


def test_a_frame_that_cannot_be_written_keeps_what_blender_wrote(session):
    out, run = session
    frame = out / "frame_0002.png"
    assert frame.read_bytes() == (out / "blender-frame_0002.png").read_bytes()
    assert f"Tavi: frame 2 not filtered: {frame}: cannot write (" in run.stderr
    assert "(File too large)" in run.stderr
    assert not [p.name for p in out.iterdir() if p.name.startswith(".")], "no temporary file is left"


def test_the_frames_after_a_failure_are_filtered(session, tavi_exe, tmp_path):
    out, run = session
    tavi_process(tavi_exe, [out / "blender-frame_0003.png"], tmp_path / "frame_0003.png")
    assert same_samples(out / "frame_0003.png", tmp_path / "frame_0003.png")
    assert f"Tavi: frame 3 filtered: {out / 'frame_0003.png'}" in run.stdout


def test_settings_the_filter_refuses_leave_the_still(session):
    out, run = session
    still = out / "still.png"
    assert still.read_bytes() == (out / "blender-still.png").read_bytes()
    assert f"Tavi: frame 1 not filtered: {still}: strength 150 is outside 0 to 100" in run.stderr


def test_a_lossy_format_is_refused_not_reencoded(session):
    out, run = session
    still = out / "jpeg" / "still.jpg"
    assert still.read_bytes() == (out / "blender-still.jpg").read_bytes()
    assert f"Tavi: frame 1 not filtered: {still}: JPEG is a lossy format" in run.stderr


def test_without_its_module_the_addon_reports_and_leaves_frames(tmp_path_factory, addon_zip):
    user = tmp_path_factory.mktemp("broken-user")
    temporary = tmp_path_factory.mktemp("tmp")
    installed = install_addon(addon_zip, user, temporary)
    (module,) = installed.glob("tavi/_tavi.*.so")
    module.write_text("not a shared object\n")
    out = tmp_path_factory.mktemp("broken")
    run = run_blender("animation.py", out, user=user, temporary=temporary, status=UNFILTERED)
    problem = json.loads((out / "results.json").read_text())["problem"]
    assert problem.startswith(f"the Tavi module in {installed} cannot be loaded (")
    for n in (1, 2):
        frame = out / "tavi" / f"frame_000{n}.png"
        assert same_samples(frame, out / "plain" / f"frame_000{n}.png")
        assert f"Tavi: frame {n} not filtered: {frame}: {problem}" in run.stderr
