"""What the command says of damaged inputs and failed writes: the input,
the output and the problem, in our words, on one short line."""
import os
import struct
import subprocess

import pytest

from support import TAVI, as_samples, levels, oiiotool, run_tavi, write

SANITIZED = os.environ.get("TAVI_SANITIZED") == "1"


def exr_with_huge_attribute(folder):
    """An OpenEXR file whose capDate attribute claims 2 GiB of text."""
    source = write(folder / "render.exr", as_samples(levels(4), "half"), "half", straight=False,
                   extra={"capDate": "2024:01:02 03:04:05"})
    data = bytearray(source.read_bytes())
    at = data.find(b"capDate\0string\0") + len(b"capDate\0string\0")
    struct.pack_into("<i", data, at, 0x7FFFFFF0)
    source.write_bytes(bytes(data))
    return source


@pytest.mark.skipif(SANITIZED, reason="AddressSanitizer cannot run under an address-space limit")
def test_a_damaged_header_is_no_memory_shortage(tmp_path):
    source = exr_with_huge_attribute(tmp_path)
    done = subprocess.run(["bash", "-c", 'ulimit -v 1500000; exec "$0" process "$1" -o "$2"', TAVI, source,
                           tmp_path / "out.exr"], capture_output=True, text=True)
    assert done.returncode == 1
    assert f"{source}: damaged or unsupported OpenEXR file" in done.stderr
    assert "bad_alloc" not in done.stderr


def test_truncated_files_are_damaged_in_every_format(tmp_path):
    for name, kind in (("cut.exr", "OpenEXR"), ("cut.tif", "TIFF"), ("cut.png", "PNG"), ("cut.jpg", "JPEG")):
        whole = tmp_path / f"whole{os.path.splitext(name)[1]}"
        oiiotool("--pattern", "noise", "256x256", "3", "-d", "uint8", "-o", whole)
        size = len(whole.read_bytes())
        # Halfway, near the end, and (JPEG) just the end-of-image marker gone.
        for keep in [size // 2, size - 20] + ([size - 2] if kind == "JPEG" else []):
            (tmp_path / name).write_bytes(whole.read_bytes()[:keep])
            done = run_tavi("process", tmp_path / name, "-o", tmp_path / "out.png", expect=1)
            assert f"{tmp_path / name}: damaged or unsupported {kind} file" in done.stderr, (name, keep)
            assert not (tmp_path / "out.png").exists()
            line = [l for l in done.stderr.splitlines() if "damaged" in l][0]
            assert len(line) < 500, "the library's repeated complaints are cut short"


def test_a_failed_write_names_the_input_and_the_output(tmp_path):
    source = tmp_path / "noise.tif"  # noise: no compression makes it small
    oiiotool("--pattern", "noise", "64x64", "4", "-d", "float", "-o", source)
    for output in ("out.tif", "out.exr", "out.png"):
        done = subprocess.run(["bash", "-c", "trap '' XFSZ; ulimit -f 2; exec \"$0\" process \"$1\" -o \"$2\"",
                               TAVI, source, tmp_path / output], capture_output=True, text=True)
        assert done.returncode == 1, output
        assert f"{source}: cannot write {tmp_path / output} (" in done.stderr, done.stderr
        assert "file-size limit" in done.stderr
        assert not (tmp_path / output).exists()
        assert [p.name for p in tmp_path.iterdir() if ".tavi-" in p.name] == []


def test_an_output_that_cannot_be_written_is_refused_before_any_work(tmp_path):
    # The inputs are not images at all: reading them would say so first.
    inputs = [tmp_path / f"shot.{n:04d}.png" for n in (1, 2)]
    for path in inputs:
        path.write_bytes(b"not a picture")
    # A file where the output's folder would be made.
    (tmp_path / "blocker").write_bytes(b"in the way")
    done = run_tavi("process", *inputs, "-o", tmp_path / "blocker" / "out.####.png", expect=2)
    assert f"{tmp_path / 'blocker'} is a regular file, not a folder" in done.stderr
    assert "not a picture" not in done.stderr and "damaged" not in done.stderr
    done = run_tavi("process", inputs[0], "-o", tmp_path / "out.xyz", expect=2)
    assert "no image format has the extension .xyz" in done.stderr
