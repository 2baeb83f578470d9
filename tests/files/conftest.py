"""Files as other programs write them, put through the real tavi command.

Run with OpenImageIO's Python bindings and numpy (Debian's python3):
    TAVI_EXE=build/tavi python3 -m pytest -q tests/files
"""
import pathlib
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).parent))

from support import OIIOTOOL, TAVI  # noqa: E402


def pytest_configure(config):
    if not TAVI.exists():
        raise pytest.UsageError(f"no tavi command at {TAVI}; build it or set TAVI_EXE")
    if OIIOTOOL is None:
        raise pytest.UsageError("no oiiotool (Debian package openimageio-tools)")
