"""The build behind `pip install .`: the project's own CMake build makes the
Python package tavi (the compiled module and its Python files, stub and
py.typed marker) and installs its "python" component into the wheel's
folder. The version is the CMake project's."""
import os
import pathlib
import re
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    match = re.search(r"^project\(\s*tavi\s+VERSION\s+([0-9]+\.[0-9]+\.[0-9]+)\b", text, re.M)
    if not match:
        sys.exit(f"{ROOT / 'CMakeLists.txt'}: no project(tavi VERSION X.Y.Z) line to take the version from")
    return match.group(1)


class CMakeBuild(build_ext):
    """Configures and builds the target tavi_python, for the Python running
    this build, then installs the component "python" where setuptools
    collects the wheel's files."""

    def build_extension(self, ext):
        import pybind11  # a build requirement; its CMake package is inside it

        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        # The package folder tavi/ goes straight under the wheel's root.
        wheel_root = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve().parent.parent
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        self.spawn(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                    "-DTAVI_TESTS=OFF", "-DTAVI_BENCH=OFF", "-DTAVI_GUI=OFF", "-DTAVI_GEGL=OFF",
                    "-DTAVI_PYTHON=ON", f"-DPython3_EXECUTABLE={sys.executable}",
                    f"-Dpybind11_DIR={pybind11.get_cmake_dir()}", "-DTAVI_PYTHON_INSTALL_DIR=."])
        self.spawn(["cmake", "--build", str(build), "--target", "tavi_python", "--parallel", jobs])
        self.spawn(["cmake", "--install", str(build), "--component", "python", "--prefix", str(wheel_root)])


setup(
    version=project_version(),
    # Everything in the wheel comes from the CMake install above.
    packages=[],
    py_modules=[],
    ext_modules=[Extension("tavi._tavi", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    # Out of the way of the CMake build folders build/ and build-sanitize/.
    options={"build": {"build_base": "build-pip"}},
)
