"""What the documentation shows: the commands of its ```sh blocks, the
transcripts of its ```console blocks (a command after "$ ", then what it
prints; "..." in a line stands for any text), the examples of the manual
page, and the code blocks that are neither.

The pages are the README, every page of docs/ and the manual page
docs/tavi.1.in.
"""
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parents[2]


def pages():
    return [ROOT / "README.md", *sorted((ROOT / "docs").glob("*.md"))]


class Block:
    def __init__(self, page, line, kind, text):
        self.page, self.line, self.kind, self.text = page, line, kind, text

    def where(self):
        return f"{self.page.relative_to(ROOT)}:{self.line}"


def blocks(page):
    """Every fenced block of a Markdown page, and every indented one (kind
    "indented")."""
    found = []
    lines = page.read_text().split("\n")
    i = 0
    while i < len(lines):
        fence = re.match(r"^```(\w*)\s*$", lines[i])
        if fence:
            start, body = i + 1, []
            i += 1
            while i < len(lines) and not lines[i].startswith("```"):
                body.append(lines[i])
                i += 1
            found.append(Block(page, start, fence.group(1), "\n".join(body)))
        elif lines[i].startswith("    ") and (i == 0 or not lines[i - 1].strip()):
            start, body = i + 1, []
            while i < len(lines) and (lines[i].startswith("    ") or not lines[i].strip()):
                body.append(lines[i][4:])
                i += 1
            found.append(Block(page, start, "indented", "\n".join(body).rstrip("\n")))
            continue
        i += 1
    return found


def plain(command):
    """A command as typed: without a comment after it, spaces single."""
    command = re.sub(r"\s+#\s.*$", "", command)
    return " ".join(command.split())


def manual_examples():
    """The commands of the .EX blocks of the manual page's EXAMPLES, as a
    reader types them."""
    page = ROOT / "docs" / "tavi.1.in"
    commands, inside, examples = [], False, False
    for number, line in enumerate(page.read_text().split("\n"), 1):
        if line.startswith(".SH"):
            examples = line.strip() == ".SH EXAMPLES"
        if not examples:
            continue
        if line.startswith(".EX"):
            inside = True
        elif line.startswith(".EE"):
            inside = False
        elif inside and line and not line.startswith("."):
            commands.append((f"docs/tavi.1.in:{number}", plain(line.replace("\\-", "-").replace("\\(aq", "'"))))
    return commands


def commands():
    """(where, command) of every ```sh block line and manual page example."""
    found = []
    for page in pages():
        for block in blocks(page):
            if block.kind != "sh":
                continue
            joined = block.text.replace("\\\n", " ")
            for line in joined.split("\n"):
                line = plain(line)
                if line and not line.startswith("#"):
                    found.append((block.where(), line))
    return found + manual_examples()


def transcripts():
    """(where, [(command, expected lines)]) of every ```console block."""
    found = []
    for page in pages():
        for block in blocks(page):
            if block.kind != "console":
                continue
            steps = []
            for line in block.text.split("\n"):
                if line.startswith("$ "):
                    steps.append((line[2:], []))
                elif steps:
                    steps[-1][1].append(line)
            found.append((block, steps))
    return found


# A line of an unfenced block that starts like a command: it would be shown
# without being tested.
COMMAND_WORDS = re.compile(
    r"^(\$ |build/|\./|scripts/\S|bench/\S|tavi |cmake |ctest |sbatch |sudo |pip |gegl |cc |blender |"
    r"PYTHONPATH=|GEGL_PATH=|TAVI=|TAVI_ARRAY=|BUILD_DIR=|WINE|mkdir |cp |cd |man |oiiotool |grep |"
    r"scontrol |/usr/bin/|~/)")
