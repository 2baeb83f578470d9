#!/usr/bin/env python3
"""Holds every quoted include of src/ to the layer order of src/layers.txt:
a file may include its own part and the parts its part's line lists, and
includes name the part they reach from src/ (or include/), so an include
that names no part of the tree is reported too.

    check_layers.py SOURCE_DIR
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1]).resolve()
src = root / "src"


def read_layers():
    allowed, order = {}, []
    for number, line in enumerate((src / "layers.txt").read_text().splitlines(), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        part, _, below = line.partition(":")
        part = part.strip()
        for name in below.split():
            if name not in allowed:
                sys.exit(f"src/layers.txt:{number}: {part} reaches {name}, which is not listed before it")
        allowed[part] = set(below.split())
        order.append(part)
    return allowed, order


def part_of(path, parts):
    """The longest part whose folder holds `path` (relative to the tree)."""
    best = None
    for part in parts:
        folder = part if part.startswith("include/") else f"src/{part}"
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(part) > len(best):
                best = part
    return best


allowed, order = read_layers()
problems = []
checked = 0
for file in sorted(src.rglob("*")):
    if file.suffix not in (".c", ".cpp", ".h") or file.name.endswith(".in"):
        continue
    relative = file.relative_to(root).as_posix()
    own = part_of(relative, order)
    if own is None:
        problems.append(f"{relative}: in no part of src/layers.txt")
        continue
    module = own.startswith("tavi56")
    for number, line in enumerate(file.read_text().splitlines(), 1):
        found = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
        if not found:
            continue
        name = found.group(1)
        checked += 1
        if module:
            # The module includes its own files from src/tavi56, and nothing else.
            if not (src / "tavi56" / name).exists():
                problems.append(f"{relative}:{number}: the module includes {name}, which is not its own")
            continue
        target = None
        if (src / name).exists():
            target = part_of(f"src/{name}", order)
        elif (root / "include" / name).exists() or name == "tavi/version.h":
            target = part_of(f"include/{name}", order)
        elif (file.parent / name).exists():
            problems.append(f"{relative}:{number}: {name} is included by its own folder's name; name the part")
            continue
        else:
            continue  # another project's header (GEGL's gegl-op.h)
        if target is None:
            problems.append(f"{relative}:{number}: {name} lies in no part of src/layers.txt")
        elif target != own and target not in allowed[own]:
            problems.append(f"{relative}:{number}: {own} may not reach {target} ({name})")

for problem in problems:
    print(problem)
print(f"{checked} includes checked against src/layers.txt: {len(problems)} out of order")
sys.exit(1 if problems else 0)
