"""Where the test suite runs each command the documentation shows, for the
commands tests/docs cannot run itself in a scratch folder: those that set
up the machine, build, install system-wide, need a scheduler, a network or
a person at a window. Every other command shown is run by
test_examples.py. A command shown that is neither run there nor listed
here fails the test, and so does an entry here that no page shows any
more: the list and the pages stay one.
"""

ELSEWHERE = {
    # Set-up and builds: what CI runs (.ci/run is scripts/test.sh), and the
    # first command, measured on a fresh machine (docs/developing.md).
    "./scripts/demo.sh": "scripts/test.sh runs it after setting up the tests' packages",
    "./scripts/test.sh": "CI: .ci/run",
    "scripts/setup.sh": "scripts/demo.sh and scripts/setup-tests.sh run it",
    "cmake -S . -B build": "scripts/demo.sh",
    "cmake --build build --target tavi": "scripts/demo.sh",
    "cmake --preset default && cmake --build --preset default": "scripts/test.sh (scripts/build.sh default)",
    "cmake --preset sanitize && cmake --build --preset sanitize": "scripts/test.sh (scripts/build.sh sanitize)",
    "cmake --preset windows-32 && cmake --build --preset windows-32": "scripts/test-windows.sh",
    "cmake --preset windows-64 && cmake --build --preset windows-64": "scripts/test-windows.sh",
    "ctest --test-dir build -L unit -j 2": "scripts/test.sh runs the quick run first, with those options",
    "./scripts/test-windows.sh": "scripts/test.sh",
    "BUILD_DIR=build scripts/test-farm.sh": "scripts/test.sh",
    # Packages and installing beyond a scratch prefix.
    "cd build && cpack -G DEB": "the test debian_package",
    "sudo apt install ./tavi_0.1.0_amd64.deb": "the test debian_package unpacks that package and runs it",
    "pip install .": "needs a package index; the test pip_install runs the offline form below",
    "/usr/bin/python3 -m venv --system-site-packages ~/venv": "the test pip_install",
    "~/venv/bin/pip install --no-build-isolation --no-index .": "the test pip_install",
    # Render farms: a scheduler.
    "TAVI=/opt/tavi/bin/tavi sbatch --array=0-19 /opt/tavi/share/tavi/tavi-array.sbatch "
    "shots/sh010/beauty.*.exr -o shots/sh010/smooth/ --strength 80":
        "tests/farm/array_job_test.sh submits the job script with sbatch on a one-node Slurm",
    "TAVI_ARRAY=0-19 sbatch --array=7 tavi-array.sbatch shots/sh010/beauty.*.exr -o shots/sh010/smooth/ "
    "--strength 80": "tests/farm/array_job_test.sh runs a task again alone with TAVI_ARRAY",
    "grep -L 'finished with status 0' tavi-12345_*.log":
        "tests/farm/array_job_test.sh finds the failed tasks of a job by that grep",
    # A person at the panel's window.
    "build/tavi panel render.png --scene shot.tvs":
        "the window's tests (tests/gui) play synthetic input into it, --scene included",
    # Benchmarks: run by hand for their figures; the suite checks they run.
    "cmake --build build --target tavi_bench": "scripts/test.sh builds every target",
    "build/bench/tavi_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true":
        "the test tavi_bench_runs runs it on one size",
    "bench/sequence_bench.sh": "run by hand for docs/speed.md",
    "cmake --build build --target route_bench": "scripts/test.sh builds every target",
    "build/bench/route_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true":
        "run by hand for docs/speed.md",
    "bench/blender/blender_bench.sh": "run by hand for docs/speed.md",
}
