#!/usr/bin/env python3
"""Prints the table of what `tavi process` does with each output format,
made from the cases the tests hold it to (output_formats.py), for
docs/image-files.md."""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))

from output_formats import CASES, EXACT, NOTICE, TITLES  # noqa: E402

PICTURES = {"rgba": "", "rgba48": "", "rgb": "", "grey": "grey", "grey-alpha": "grey with alpha",
            "rgba16": "16-bit", "big": "300 x 300"}


def table():
    lines = ["| Output | Asked | Outcome |", "|---|---|---|"]
    for case in CASES:
        extension = case.output.rsplit(".", 1)[1]
        asked = [f"`{' '.join(case.options)}`"] if case.options else []
        if PICTURES[case.picture] and case.outcome != EXACT:
            asked.append(PICTURES[case.picture] + " input")
        outcome = {EXACT: "written exactly", NOTICE: "written, with a notice"}.get(case.outcome, "refused")
        words = outcome + (": " + case.table if case.table else "")
        lines.append(f"| {TITLES[extension]} (`.{extension}`) | {', '.join(asked)} | {words} |")
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    sys.stdout.write(table())
