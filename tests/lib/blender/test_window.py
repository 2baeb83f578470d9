"""The add-on in Blender's window under Xvfb, where renders run as jobs off
the main thread: F12 shows the filtered still as "Tavi Render" in the image
editor, and failures are Blender error reports. Skipped, saying why, where
there is no Xvfb."""
import json
import os
import shutil
import subprocess

import pytest

from conftest import run_blender, same_samples, tavi_process


@pytest.fixture(scope="module")
def display():
    program = shutil.which("Xvfb")
    if not program:
        pytest.skip("no Xvfb (Debian package xvfb) to run Blender's window in")
    read, write = os.pipe()
    server = subprocess.Popen([program, "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                              pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as numbers:
        number = numbers.readline().strip()
    if not number:
        server.kill()
        pytest.skip("Xvfb did not start")
    yield f":{number}"
    server.terminate()
    server.wait()


@pytest.fixture(scope="module")
def session(tmp_path_factory, addon_user, display):
    out = tmp_path_factory.mktemp("window")
    run = run_blender("window.py", out, user=addon_user, temporary=tmp_path_factory.mktemp("tmp"), window=display)
    results = json.loads((out / "results.json").read_text())
    assert results["problem"] is None, results["problem"] + "\n" + run.stderr[-2000:]
    return out, results


def test_f12_shows_the_filtered_still_in_the_image_editor(session, tavi_exe, tmp_path):
    out, results = session
    assert "Tavi Render" in results["shown"]
    tavi_process(tavi_exe, [out / "plain.png"], tmp_path / "plain.png")
    assert same_samples(out / "f12.png", tmp_path / "plain.png")


def test_failures_are_blender_error_reports(session):
    out, results = session
    for n in (1, 2):
        assert f"Tavi: frame {n} not filtered: {out / 'jpeg' / f'frame_000{n}.jpg'}: JPEG is a lossy format" \
            in results["reports"], results["reports"]
