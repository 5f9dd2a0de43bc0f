#!/usr/bin/env python3
"""Each companion's manual page names exactly the options its --help names.
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
sys.exit(1 if failed else 0)
