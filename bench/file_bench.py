#!/usr/bin/env python3
"""What `tavi process` costs beside the file work a pipeline pays anyway:
each frame filtered with `tavi process IN -o OUT` and copied with
`oiiotool IN -o OUT`, the two alternating so that the machine's load falls
on both alike. Prints the medians and the ratio tavi / oiiotool for each
file kind and size (goal: at most 1.00).

The frames are the aliased sample render (`tavi demo`) at 1920x1080 and
3840x2160, made into PNG, 16-bit PNG, TIFF, half and float OpenEXR (zip
and piz) and a multilayer OpenEXR (the render and a copy of it as layer
"diffuse") by oiiotool.

    bench/file_bench.py BUILD_DIR [RUNS] [SIZES]

RUNS is the number of pairs (default 5); SIZES picks sizes, e.g. "1080".
`OIIOTOOL` names another oiiotool.
"""
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

SIZES = {"1080p": (1920, 1080), "2160p": (3840, 2160)}

# name: (file name, oiiotool arguments that make it from the 8-bit PNG)
KINDS = {
    "PNG": ("frame.png", []),
    "PNG, 16-bit": ("frame16.png", ["-d", "uint16"]),
    "TIFF": ("frame.tif", ["--compression", "zip"]),
    "OpenEXR half, zip": ("half_zip.exr", ["-d", "half", "--compression", "zip"]),
    "OpenEXR half, piz": ("half_piz.exr", ["-d", "half", "--compression", "piz"]),
    "OpenEXR float, zip": ("float_zip.exr", ["-d", "float", "--compression", "zip"]),
    "OpenEXR float, piz": ("float_piz.exr", ["-d", "float", "--compression", "piz"]),
    "OpenEXR multilayer": ("layers.exr", ["--dup", "--chnames", "diffuse.R,diffuse.G,diffuse.B,diffuse.A",
                                          "--chappend", "-d", "half", "--compression", "zip"]),
}


def run(command):
    subprocess.run([str(part) for part in command], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def timed(command):
    start = time.perf_counter()
    run(command)
    return time.perf_counter() - start


def make_frames(tavi, oiiotool, folder, width, height):
    run([tavi, "demo", "-o", folder / "demo", "--width", width, "--height", height])
    png = folder / "demo" / "input.png"
    frames = {}
    for kind, (name, arguments) in KINDS.items():
        frames[kind] = folder / name
        run([oiiotool, png, *arguments, "-o", frames[kind]])
    return frames


def main():
    build = pathlib.Path(sys.argv[1]).resolve()
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    wanted = [size for size in SIZES if len(sys.argv) <= 3 or sys.argv[3] in size]
    tavi = build / "tavi"
    oiiotool = os.environ.get("OIIOTOOL", "oiiotool")
    rows = []
    with tempfile.TemporaryDirectory() as scratch:
        for size in wanted:
            folder = pathlib.Path(scratch) / size
            folder.mkdir()
            frames = make_frames(tavi, oiiotool, folder, *SIZES[size])
            for kind, frame in frames.items():
                out_tavi = folder / f"tavi_{frame.name}"
                out_copy = folder / f"copy_{frame.name}"
                filtered, copied = [], []
                for _ in range(runs):
                    filtered.append(timed([tavi, "process", "-q", frame, "-o", out_tavi]))
                    copied.append(timed([oiiotool, frame, "-o", out_copy]))
                rows.append((size, kind, statistics.median(filtered), statistics.median(copied)))
                print(f"  {size} {kind}: done", file=sys.stderr, flush=True)
    print(f"tavi process against oiiotool IN -o OUT, medians of {runs} alternating pairs:")
    print(f"  {'frame':26s} {'tavi':>9s} {'oiiotool':>9s}  ratio (goal <= 1.00)")
    for size, kind, filtered, copied in rows:
        print(f"  {size + ' ' + kind:26s} {filtered * 1000:7.0f} ms {copied * 1000:7.0f} ms  {filtered / copied:5.2f}")
    print(f"  largest ratio: {max(f / c for _, _, f, c in rows):.2f}")


if __name__ == "__main__":
    main()
