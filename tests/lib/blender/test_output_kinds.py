"""Every kind of output Blender writes, rendered as a still and as a
three-frame animation: each filtered frame file holds exactly what
`tavi process` makes of the same frame rendered with the add-on disabled;
refused kinds stay as rendered, with a report naming the frame and why."""
import json

import pytest

from conftest import UNFILTERED, channel, read_stored, run_blender, same_samples, tavi_process
from output_kinds import EXTENSIONS, FRAMES, KINDS

FILTERED = [name for name, kind in KINDS.items() if not kind.refused]
REFUSED = [name for name, kind in KINDS.items() if kind.refused]
COMBINED = ("Composite.Combined", "ViewLayer.Combined")  # the multilayer kind's layers


@pytest.fixture(scope="module")
def rendered(tmp_path_factory, addon_user):
    out = tmp_path_factory.mktemp("outputs")
    # The refused kinds leave frames unfiltered, which Blender's status says.
    run = run_blender("outputs.py", out, *KINDS, user=addon_user, temporary=tmp_path_factory.mktemp("tmp"),
                      status=UNFILTERED if REFUSED else 0)
    return out, run, json.loads((out / "results.json").read_text())


def frame_files(kind):
    extension = EXTENSIONS[kind.file_format]
    return ["still" + extension] + [f"frame_{n:04d}{extension}" for n in FRAMES]


def command_outputs(tavi_exe, plain_folder, folder, kind):
    """`tavi process` on the plain frames in one run, told what the add-on
    is told; the folder of its outputs."""
    options = ["--alpha", kind.alpha] if kind.alpha != "auto" else []
    layers = COMBINED if kind.file_format == "OPEN_EXR_MULTILAYER" else [None]
    sources = [plain_folder / file for file in frame_files(kind)]
    for n, layer in enumerate(layers):
        target = folder / f"pass{n}"
        tavi_process(tavi_exe, sources, f"{target}/", *options, *(["--layer", layer] if layer else []))
        sources = [target / source.name for source in sources]
    return sources[0].parent


@pytest.mark.parametrize("name", FILTERED)
def test_filtered_frames_are_what_tavi_process_makes(rendered, tavi_exe, tmp_path, name):
    out, run, _ = rendered
    kind = KINDS[name]
    expected = command_outputs(tavi_exe, out / name / "plain", tmp_path, kind)
    for file in frame_files(kind):
        plain, filtered = out / name / "plain" / file, out / name / "tavi" / file
        assert same_samples(filtered, expected / file), f"{filtered} is not what tavi process makes of {plain}"
        assert not same_samples(filtered, plain), f"the filter changed nothing in {filtered}"
        assert f"Tavi: frame {1 if file.startswith('still') else int(file[6:10])} filtered: {filtered}" in run.stdout


@pytest.mark.parametrize("name", FILTERED)
def test_rewriting_a_frame_keeps_its_samples(rendered, tavi_exe, tmp_path, name):
    """The format survives being read and written again (what a pixel the
    filter leaves alone goes through)."""
    out, _, _ = rendered
    plain = out / name / "plain" / frame_files(KINDS[name])[1]
    rewritten = tmp_path / ("rewritten" + plain.suffix)
    tavi_process(tavi_exe, [plain], rewritten, "--disable")
    assert same_samples(rewritten, plain)


def test_multilayer_passes_other_than_combined_are_kept(rendered):
    out, _, _ = rendered
    for file in frame_files(KINDS["exr_multilayer"]):
        plain, filtered = out / "exr_multilayer" / "plain" / file, out / "exr_multilayer" / "tavi" / file
        names = [name for name, _, _ in read_stored(plain)[0]]
        assert names == [name for name, _, _ in read_stored(filtered)[0]]
        others = [name for name in names if not name.startswith(COMBINED)]
        assert {"ViewLayer.Depth.Z", "ViewLayer.Normal.X", "ViewLayer.IndexOB.X"} <= set(others)
        for name in others:
            assert channel(filtered, name).tobytes() == channel(plain, name).tobytes(), f"{name} of {filtered}"


def test_a_still_blender_does_not_write_is_shown_filtered(rendered, tavi_exe, tmp_path):
    out, _, results = rendered
    name = results["unsaved"]["kind"]
    kind = KINDS[name]
    assert results["unsaved"]["size"] == [96, 64]
    extension = EXTENSIONS[kind.file_format]
    shown = out / name / "tavi" / ("unsaved" + extension)
    expected = command_outputs(tavi_exe, out / name / "plain", tmp_path, kind)
    assert same_samples(shown, expected / ("still" + extension))


@pytest.mark.parametrize("name", REFUSED)
def test_refused_frames_stay_as_rendered_with_a_report(rendered, name):
    out, run, _ = rendered
    kind = KINDS[name]
    for file in frame_files(kind):
        plain, kept = out / name / "plain" / file, out / name / "tavi" / file
        assert same_samples(kept, plain)
        frame = 1 if file.startswith("still") else int(file[6:10])
        assert f"Tavi: frame {frame} not filtered: {kept}: {kind.refused}" in run.stderr
