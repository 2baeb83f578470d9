#!/usr/bin/env python3
"""How long the tavi command takes to start, against the floor for any
program that reads images with OpenImageIO: an empty program linked to
OpenImageIO alone (bench/startup/empty_oiio.cpp, built as
tests/cli/empty_oiio). Runs each command many
times, alternating them so that the machine's load falls on all alike,
and prints the medians and each command's excess over the floor (goal:
at most 10 ms).

    bench/startup_bench.py BUILD_DIR [RUNS]
"""
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

build = pathlib.Path(sys.argv[1]).resolve()
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 40
tavi = build / "tavi"
floor = build / "tests" / "cli" / "empty_oiio"

with tempfile.TemporaryDirectory() as scratch:
    scratch = pathlib.Path(scratch)
    subprocess.run([tavi, "demo", "-o", scratch / "demo", "--width", "64", "--height", "48"],
                   check=True, stdout=subprocess.DEVNULL)
    small = scratch / "small.png"
    shutil.copy(scratch / "demo" / "input.png", small)
    commands = {
        "empty program linked to OpenImageIO": [floor],
        "tavi --version": [tavi, "--version"],
        "tavi process (64 x 48 PNG)": [tavi, "process", "-q", small, "-o", scratch / "out.png"],
    }
    times = {name: [] for name in commands}
    for _ in range(runs):
        for name, command in commands.items():
            start = time.perf_counter()
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            times[name].append(time.perf_counter() - start)

base = statistics.median(times["empty program linked to OpenImageIO"]) * 1000
print(f"start-up, median of {runs} runs each, alternating:")
for name, samples in times.items():
    median = statistics.median(samples) * 1000
    excess = "" if median == base else f"  ({median - base:+.1f} ms over the floor, goal <= 10)"
    print(f"  {name:40s} {median:7.1f} ms{excess}")
