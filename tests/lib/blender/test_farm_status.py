"""A farm learns from Blender's exit status that frames were not filtered:
`blender -b FILE -a` exits with status 3 once it has rendered everything
its command line asked, when the add-on left any frame as Blender wrote it,
and with 0 when every frame was filtered. The frames stay as Blender wrote
them, and Blender's temporary folder is removed as on any exit."""
import pytest

from conftest import UNFILTERED, blender_command, install_addon, run_blender

FRAMES = (1, 2, 3)


@pytest.fixture(scope="module")
def node(tmp_path_factory, addon_zip):
    """A user whose saved preferences enable the add-on, and the files."""
    user = tmp_path_factory.mktemp("farm-user")
    temporary = tmp_path_factory.mktemp("tmp")
    install_addon(addon_zip, user, temporary)
    out = tmp_path_factory.mktemp("farm")
    run_blender("farm_files.py", out, user=user, temporary=temporary)
    return user, out


def render(node, tmp_path, *arguments):
    """blender -b ARGUMENTS..., where a .blend names a file of the node's."""
    user, out = node
    temporary = tmp_path / "tmp"
    temporary.mkdir(parents=True)
    arguments = [out / a if a.endswith(".blend") else a for a in arguments]
    run = blender_command("-b", *arguments, user=user, temporary=temporary)
    assert not list(temporary.iterdir()), "Blender's temporary folder is removed"
    return run


def test_refused_frames_make_blender_exit_non_zero(node, tmp_path):
    _, out = node
    plain = render(node, tmp_path / "plain", "plain.blend", "-a")
    assert plain.returncode == 0, plain.stderr
    run = render(node, tmp_path / "jpeg", "jpeg.blend", "-a")
    assert run.returncode == UNFILTERED, run.stdout + run.stderr
    for n in FRAMES:
        frame = out / "jpeg" / f"frame_{n:04d}.jpg"
        assert f"Tavi: frame {n} not filtered: {frame}: JPEG is a lossy format" in run.stderr
        assert frame.read_bytes() == (out / "plain" / f"frame_{n:04d}.jpg").read_bytes(), "as Blender wrote it"
    assert run.stderr.rstrip().endswith("Tavi: not filtered: frames 1, 2, 3; Blender exits with status 3")
    assert "Tavi:" not in plain.stderr


def test_a_movie_is_refused_and_said_so(node, tmp_path):
    _, out = node
    run = render(node, tmp_path, "movie.blend", "-a")
    assert run.returncode == UNFILTERED, run.stdout + run.stderr
    assert [p.name for p in (out / "movie").iterdir()] == ["frame_0001-0003.mp4"]
    for n in FRAMES:
        assert f"Tavi: frame {n} not filtered: FFmpeg video is a movie: its frames are never files" in run.stderr


def test_the_addon_enabled_on_the_command_line_sets_the_status_too(node, addon_user, tmp_path):
    """A node whose preferences do not enable the add-on: --addons does."""
    _, out = node
    temporary = tmp_path / "tmp"
    temporary.mkdir()
    run = blender_command("-b", out / "jpeg.blend", "--addons", "tavi_blender", "-a", user=addon_user,
                          temporary=temporary)
    assert run.returncode == UNFILTERED, run.stdout + run.stderr
    assert run.stderr.rstrip().endswith("Tavi: not filtered: frames 1, 2, 3; Blender exits with status 3")


def test_filtered_frames_leave_the_status_zero(node, tmp_path):
    _, out = node
    run = render(node, tmp_path, "png.blend", "-a")
    assert run.returncode == 0, run.stdout + run.stderr
    for n in FRAMES:
        assert f"Tavi: frame {n} filtered: {out / 'png' / f'frame_{n:04d}.png'}" in run.stdout
    assert "not filtered" not in run.stderr


def test_the_status_comes_after_the_whole_command_line(node, tmp_path):
    """A refused still first, then an animation that is filtered: both are
    rendered, and the status still says a frame was not filtered."""
    _, out = node
    for name in ("jpeg", "png"):
        for file in (out / name).iterdir():
            file.unlink()
    run = render(node, tmp_path, "jpeg.blend", "-f", "2", "png.blend", "-a")
    assert run.returncode == UNFILTERED, run.stdout + run.stderr
    assert sorted(p.name for p in (out / "jpeg").iterdir()) == ["frame_0002.jpg"]
    assert sorted(p.name for p in (out / "png").iterdir()) == [f"frame_{n:04d}.png" for n in FRAMES]
    assert run.stderr.rstrip().endswith("Tavi: not filtered: frame 2; Blender exits with status 3")
