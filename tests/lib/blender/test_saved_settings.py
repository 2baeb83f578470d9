"""Settings saved in a .blend file give the same frames when it is opened
again; Strength changes them; disabled leaves them as rendered; the add-on
unregisters cleanly and the settings stay in the file."""
import json

import pytest

from conftest import run_blender, same_samples, tavi_process

DEFAULTS = {"target": "RGBA", "enabled": True, "strength": 100, "threshold": 224}
SAVED = {"target": "RGB", "enabled": True, "strength": 40, "threshold": 200}


@pytest.fixture(scope="module")
def session(tmp_path_factory, addon_user):
    out = tmp_path_factory.mktemp("settings")
    run_blender("saved_settings.py", out, user=addon_user, temporary=tmp_path_factory.mktemp("tmp"))
    return out, json.loads((out / "results.json").read_text())


def test_new_scenes_have_the_module_defaults(session):
    _, results = session
    assert results["defaults"] == DEFAULTS
    assert results["new file"] == DEFAULTS


def test_settings_saved_in_the_file_filter_as_tavi_process_does(session, tavi_exe, tmp_path):
    out, results = session
    assert results["reopened"] == SAVED
    tavi_process(tavi_exe, [out / "plain.png"], tmp_path / "saved.png",
                 "--target", "rgb", "--strength", "40", "--threshold", "200")
    assert same_samples(out / "reopened.png", tmp_path / "saved.png")
    assert not same_samples(out / "reopened.png", out / "plain.png")


def test_strength_changes_the_frame(session, tavi_exe, tmp_path):
    out, _ = session
    tavi_process(tavi_exe, [out / "plain.png"], tmp_path / "full.png", "--target", "rgb", "--threshold", "200")
    assert same_samples(out / "strength100.png", tmp_path / "full.png")
    assert not same_samples(out / "strength100.png", out / "reopened.png")


def test_disabled_leaves_frames_as_blender_renders_them(session):
    out, _ = session
    assert same_samples(out / "plain.png", out / "unregistered.png")


def test_unregistering_leaves_nothing_behind_but_the_settings(session):
    _, results = session
    assert len(results["registered"]) >= 5  # handlers, panel, settings, report operator
    assert results["unregistered"] == []
    assert results["kept in the scene"] == {"target": 0, "enabled": 1, "strength": 40, "threshold": 200}
    assert results["registered again"] == SAVED
