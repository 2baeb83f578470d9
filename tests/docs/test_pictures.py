"""The pictures of the documentation are what the commands draw now:
scripts/docs-pictures.sh makes them again into a scratch folder, and each
picture in docs/ holds the same pixels. The scripted session the panel's
picture shows is the one docs/command.md prints."""
import os
import pathlib
import subprocess

import numpy
import OpenImageIO as oiio
import pytest

from shown import ROOT, blocks

BUILD = pathlib.Path(os.environ.get("TAVI_BUILD_DIR", ROOT / "build")).resolve()
PICTURES = ["demo-comparison.png", "panel-script.png", "panel-window.png"]


def pixels(path):
    buffer = oiio.ImageBuf(str(path))
    assert not buffer.has_error, buffer.geterror()
    return buffer.get_pixels(oiio.UINT8)


@pytest.fixture(scope="module")
def made(tmp_path_factory):
    if not (BUILD / "tavi-panel-window").exists():
        pytest.skip("this build has no panel window, which one picture shows")
    folder = tmp_path_factory.mktemp("pictures")
    environment = dict(os.environ, BUILD_DIR=str(BUILD))
    if os.environ.get("TAVI_SANITIZED"):
        # The window's graphics drivers keep what they allocate to the end;
        # the leak check would take it for ours (the window test does the same).
        environment["LSAN_OPTIONS"] = "detect_leaks=0"
    done = subprocess.run([ROOT / "scripts" / "docs-pictures.sh", folder], env=environment,
                          capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stdout + done.stderr
    return folder


@pytest.mark.parametrize("name", PICTURES)
def test_a_picture_in_docs_is_what_the_commands_draw(name, made):
    now, kept = pixels(made / name), pixels(ROOT / "docs" / name)
    assert now.shape == kept.shape, f"docs/{name}: {kept.shape}, the commands draw {now.shape}"
    differ = int(numpy.any(now != kept, axis=2).sum())
    assert differ == 0, f"docs/{name}: {differ} pixels differ from what the commands draw; run scripts/docs-pictures.sh"


def test_the_panels_session_is_the_one_the_page_prints():
    session = (ROOT / "docs" / "panel-session.txt").read_text().rstrip("\n")
    shown = [block.text for block in blocks(ROOT / "docs" / "command.md")]
    assert session in shown, "docs/command.md does not print docs/panel-session.txt as it is"
