"""A still is found and filtered under whatever name Blender gives it: the
add-on works out the still's file name the way Blender does (no frame
number, Blender's extension rules), which these names exercise."""
import re

from conftest import run_blender

NAMES = ["plain", "b.png", "c.jpg", "e.", "d_###_x", "f.PNG", "g.tif", "//relative/h"]


def test_every_still_blender_saves_is_filtered(tmp_path_factory, addon_user):
    out = tmp_path_factory.mktemp("names")
    run = run_blender("still_names.py", out, *NAMES, user=addon_user, temporary=tmp_path_factory.mktemp("tmp"))
    saved = re.findall(r"^Saved: '(.*)'$", run.stdout, re.MULTILINE)
    filtered = re.findall(r"^Tavi: frame 1 filtered: (.*)$", run.stdout, re.MULTILINE)
    assert len(saved) == len(NAMES)
    assert sorted(filtered) == sorted(saved), run.stderr
    assert str(out / "c.png") in saved and str(out / "d_###_x.png") in saved
    assert str(out / "relative" / "h.png") in saved
