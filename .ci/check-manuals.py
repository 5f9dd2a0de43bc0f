#!/usr/bin/env python3
"""Each companion's manual page names exactly the options its --help names,
and no manual page runs two words together.
Usage: check-manuals.py TOOLS_DIR (the build's tools/ folder)."""
import re
import subprocess
import sys
from pathlib import Path

top = Path(__file__).resolve().parent.parent
tools = Path(sys.argv[1])
failed = False
for name in ["morvavl-trace", "morvavl-compare", "morvavl-generate"]:
    usage = subprocess.run([tools / name, "--help"], capture_output=True,
                           text=True, check=True).stdout
    in_help = set(re.findall(r"^  (--[a-z][a-z-]*)", usage, re.M))
    page = (top / "docs" / f"{name}.1").read_text()
    options = page.split(".SH OPTIONS", 1)[1].split("\n.SH ", 1)[0] if ".SH OPTIONS" in page else ""
    entries = re.findall(r"^\.TP\n\.[A-Z]+ (.*)$", options, re.M)
    in_page = set()
    for entry in entries:
        found = re.search(r"\\-\\-([a-z](?:[a-z]|\\-)*)", entry)
        if found:
            in_page.add("--" + found.group(1).replace("\\-", "-"))
    for option in sorted(in_help - in_page):
        print(f"docs/{name}.1 does not describe {option}, which --help names")
        failed = True
    for option in sorted(in_page - in_help):
        print(f"docs/{name}.1 describes {option}, which --help does not name")
        failed = True
    print(f"{name}: {len(in_help)} options in --help and in its manual page")

# The font-alternating macros join their arguments with no space between:
# ".IB FILE .png" is "FILE.png", but ".IB FILE .3.png, for the others" is
# "FILE.3.png,fortheothers". Two arguments that end and start with a word
# (two letters or more) run two words together; "\e" "x" "HH" is one.
alternating = {".BI", ".IB", ".BR", ".RB", ".IR", ".RI"}
# Font changes and the zero-width \& print nothing; any other escape
# prints a glyph that is no letter (\(dq a quote, \e a backslash).
silent = re.compile(r"\\f[BIRP]|\\&")
glyph = re.compile(r"\\(\(..|\[[^]]*\]|.)")


def arguments(text):
    """A macro line's arguments, as groff splits them."""
    return [quoted if quoted else plain
            for quoted, plain in re.findall(r'"([^"]*)"?|(\S+)', text)]


run_together = False
for page_path in sorted((top / "docs").glob("*.1")):
    for number, line in enumerate(page_path.read_text().splitlines(), 1):
        words = line.split(None, 1)
        if len(words) < 2 or words[0] not in alternating:
            continue
        args = [glyph.sub("~", silent.sub("", arg)) for arg in arguments(words[1])]
        for left, right in zip(args, args[1:]):
            if re.search(r"[A-Za-z]{2}$", left) and re.match(r"[A-Za-z]{2}", right):
                print(f"docs/{page_path.name}:{number}: {left!r} runs into "
                      f"{right!r}: {line}")
                run_together = True
failed = failed or run_together
if not run_together:
    print("manual pages: no words run together")
sys.exit(1 if failed else 0)
