"""`cmake --install` puts the add-on, with its module, into a Blender
scripts folder under the prefix, where Blender finds and runs it."""
import json
import os
import subprocess

from conftest import run_blender, same_samples, tavi_process


def test_the_installed_addon_filters_as_tavi_process(tmp_path_factory, tavi_exe):
    prefix = tmp_path_factory.mktemp("prefix")
    subprocess.run([os.environ["CMAKE"], "--install", os.environ["TAVI_BUILD_DIR"], "--component", "blender",
                    "--prefix", str(prefix)], check=True, stdout=subprocess.DEVNULL)
    addons = prefix / os.environ["TAVI_BLENDER_ADDON_DIR"]
    assert (addons / "tavi_blender" / "__init__.py").exists()
    assert list((addons / "tavi_blender").glob("tavi/_tavi.*.so"))
    # Blender takes the scripts folder as a user's (BLENDER_USER_SCRIPTS).
    scripts = addons.parent
    assert scripts.name == "scripts"
    out = tmp_path_factory.mktemp("installed")
    run_blender("animation.py", out, user=scripts.parent, temporary=tmp_path_factory.mktemp("tmp"))
    results = json.loads((out / "results.json").read_text())
    assert results["problem"] is None
    assert results["module"].startswith(str(addons))
    tavi_process(tavi_exe, [out / "plain" / "frame_0001.png", out / "plain" / "frame_0002.png"], f"{prefix}/expected/")
    for n in (1, 2):
        assert same_samples(out / "tavi" / f"frame_000{n}.png", prefix / "expected" / f"frame_000{n}.png")
