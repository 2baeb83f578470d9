"""Prints one line for each test a ctest run skipped, with the reason the
test itself printed, from the run's JUnit file (ctest --output-junit):

    ctest_skips.py JUNIT_FILE WHICH_RUN

A script says why in a line of its own beginning "skipped: "; a gtest skip
prints its message on the line after "...: Skipped". ctest's own log keeps
neither apart from passes, so the summary of scripts/test.sh reads these.
"""

import sys
import xml.etree.ElementTree as ElementTree


def reason(output: str, fallback: str) -> str:
    lines = output.splitlines()
    for line in lines:
        if line.startswith("skipped: "):
            return line[len("skipped: "):]
    for before, line in zip(lines, lines[1:]):
        if before.endswith(": Skipped") and line.strip():
            return line.strip()
    return fallback or "no reason printed"


def main(junit_file: str, which_run: str) -> None:
    for case in ElementTree.parse(junit_file).getroot().iter("testcase"):
        skipped = case.find("skipped")
        if skipped is None:
            continue
        output = case.findtext("system-out") or ""
        why = reason(output, skipped.get("message", ""))
        print(f"skipped: {case.get('name')} ({which_run}): {why}")


if __name__ == "__main__":
    main(*sys.argv[1:])
