"""Shared pieces of the Blender add-on's tests: the real Blender in
background mode, with the add-on installed into a temporary user folder
(BLENDER_USER_SCRIPTS, BLENDER_USER_CONFIG), never the machine's own;
image files compared sample for sample; `tavi process` on the same frames.

Run by ctest (test "blender_addon") with BLENDER, TAVI_EXE,
TAVI_BLENDER_ZIP, CMAKE, TAVI_BUILD_DIR and TAVI_BLENDER_ADDON_DIR set;
under the sanitizers also TAVI_SANITIZER_PRELOAD and
TAVI_FOREIGN_ASAN_OPTIONS, which Blender (and only Blender) is started with. Where there is no Blender, or
it cannot render, the run says why in one line and exits with status 77,
which ctest counts as skipped.
"""
import os
import pathlib
import shutil
import subprocess
import tempfile

import numpy
import OpenImageIO as oiio
import pytest

HERE = pathlib.Path(__file__).resolve().parent
SESSIONS = HERE / "sessions"
SKIPPED = 77
collect_ignore = ["sessions"]  # scripts run inside Blender
TIMEOUT = 300


def _environment(name):
    value = os.environ.get(name)
    if not value:
        pytest.exit(f"{name} is not set; run these tests through ctest", returncode=1)
    return value


def blender_program():
    return os.environ.get("BLENDER") or shutil.which("blender")


def skip_all(reason):
    """Ends the run before any test, as skipped: one line, status 77."""
    print(f"Blender tests skipped: {reason}", flush=True)
    os._exit(SKIPPED)  # pytest.exit would say it twice, as an exception


def pytest_sessionstart(session):
    """One tiny Workbench render, or the suite is skipped with the reason."""
    program = blender_program()
    if not program:
        skip_all("no blender program (Debian package blender)")
    reason = None
    with tempfile.TemporaryDirectory() as folder:
        probe = pathlib.Path(folder) / "probe"
        script = (
            "import bpy\n"
            "s = bpy.context.scene\n"
            "s.render.engine = 'BLENDER_WORKBENCH'\n"
            "s.render.resolution_x = s.render.resolution_y = 8\n"
            f"s.render.filepath = {str(probe)!r}\n"
            "bpy.ops.render.render(write_still=True)\n"
        )
        try:
            run = subprocess.run(
                [program, "-b", "--factory-startup", "--python-exit-code", "1", "--python-expr", script],
                capture_output=True, text=True, timeout=TIMEOUT, env=_blender_environment(None, folder))
            if run.returncode != 0 or not probe.with_suffix(".png").exists():
                lines = [line for line in (run.stderr + run.stdout).splitlines() if line.strip()]
                reason = f"Blender cannot render here ({lines[-1] if lines else f'status {run.returncode}'})"
        except (OSError, subprocess.TimeoutExpired) as e:
            reason = f"{program} does not run ({e})"
    if reason:
        skip_all(reason)


def _blender_environment(user, temporary):
    environment = dict(os.environ)
    if os.environ.get("TAVI_SANITIZER_PRELOAD"):
        # The add-on's module is built with the sanitizers: their runtimes
        # must be loaded before Blender starts.
        environment["LD_PRELOAD"] = os.environ["TAVI_SANITIZER_PRELOAD"]
        environment["ASAN_OPTIONS"] = os.environ.get("TAVI_FOREIGN_ASAN_OPTIONS", "")
    if user is not None:
        environment["BLENDER_USER_SCRIPTS"] = str(user / "scripts")
        environment["BLENDER_USER_CONFIG"] = str(user / "config")
    if temporary is not None:
        environment["TMPDIR"] = str(temporary)  # Blender's temporary files, quit.blend among them
    return environment


# Blender's exit status in background mode when the add-on left frames
# unfiltered (tavi_blender/exit_status.py).
UNFILTERED = 3


def run_blender(script, *arguments, user, temporary, window=None, check=True, status=0):
    """Runs a session script in Blender, in background mode unless
    `window` names an X display; returns the finished process, which must
    have exited with `status` where `check`."""
    command = [blender_program(), "--factory-startup", "--python-exit-code", "1"]
    if window is None:
        command.insert(1, "-b")
    command += ["--python", str(SESSIONS / script), "--", *map(str, arguments)]
    environment = _blender_environment(user, temporary)
    if window is not None:
        environment["DISPLAY"] = window
    run = subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT, env=environment)
    if check and run.returncode != status:
        pytest.fail(f"{script} failed ({run.returncode}):\n{run.stdout[-3000:]}\n{run.stderr[-3000:]}")
    return run


def blender_command(*arguments, user, temporary):
    """Blender run as a farm runs it, with the user's saved preferences:
    `blender ARGUMENTS...`; returns the finished process, whatever its
    status."""
    return subprocess.run([blender_program(), *map(str, arguments)], capture_output=True, text=True,
                          timeout=TIMEOUT, env=_blender_environment(user, temporary))


@pytest.fixture(scope="session")
def addon_zip():
    path = pathlib.Path(_environment("TAVI_BLENDER_ZIP"))
    if not path.exists():
        pytest.fail(f"no add-on at {path}; build it (target tavi_blender_addon)")
    return path


def install_addon(zip_path, user, temporary):
    """Installs the zip into `user` as Preferences > Add-ons > Install does."""
    run_blender("install_addon.py", zip_path, user=user, temporary=temporary)
    installed = user / "scripts" / "addons" / "tavi_blender"
    assert (installed / "__init__.py").exists(), f"the add-on was not installed into {installed}"
    return installed


@pytest.fixture(scope="session")
def addon_user(tmp_path_factory, addon_zip):
    """A user folder with the add-on installed, shared by the tests that
    do not change it."""
    user = tmp_path_factory.mktemp("user")
    install_addon(addon_zip, user, tmp_path_factory.mktemp("tmp"))
    return user


@pytest.fixture(scope="session")
def tavi_exe():
    return pathlib.Path(_environment("TAVI_EXE"))


def tavi_process(tavi_exe, sources, target, *options):
    """tavi process SOURCE... -o TARGET OPTION..."""
    subprocess.run([str(tavi_exe), "process", "-q", *map(str, sources), "-o", str(target), *options], check=True)


def read_stored(path):
    """Every part of a file: its channel names, and each channel's samples
    as stored (type and bits), colour never divided by alpha."""
    config = oiio.ImageSpec()
    config.attribute("oiio:UnassociatedAlpha", 1)
    file = oiio.ImageInput.open(str(path), config)
    assert file, oiio.geterror()
    parts = []
    index = 0
    while file.seek_subimage(index, 0):
        spec = file.spec()
        channels = []
        for c in range(spec.nchannels):
            samples = file.read_image(index, 0, c, c + 1, spec.channelformat(c))
            assert samples is not None, file.geterror()
            channels.append((spec.channelnames[c], str(spec.channelformat(c)), numpy.ascontiguousarray(samples)))
        parts.append(channels)
        index += 1
    file.close()
    return parts


def same_samples(a, b):
    """Whether two files hold the same channels with the same bits."""
    first, second = read_stored(a), read_stored(b)
    return len(first) == len(second) and all(
        len(p) == len(q) and all(n1 == n2 and t1 == t2 and s1.tobytes() == s2.tobytes()
                                 for (n1, t1, s1), (n2, t2, s2) in zip(p, q))
        for p, q in zip(first, second))


def channel(path, name):
    """One channel's samples, from the first part that has it."""
    for part in read_stored(path):
        for channel_name, _, samples in part:
            if channel_name == name:
                return samples
    raise KeyError(f"{path} has no channel {name}")
