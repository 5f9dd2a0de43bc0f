#!/usr/bin/env python3
"""The house rules that a compiler does not check: no include cycle among
the project's files; nothing but src/main.cpp includes main.h; the page's
build names no tools/ source; no source file longer than about 450 lines
(the tree's own file aside). Prints what breaks a rule and exits 1."""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DIRS = ["src", "tools", "web", "tests", "fuzz", "bench"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

files = {}
for top in DIRS:
    for folder, _, names in os.walk(os.path.join(ROOT, top)):
        if "node_modules" in folder:
            continue
        for name in names:
            if name.endswith((".h", ".cpp", ".js", ".mjs")):
                path = os.path.relpath(os.path.join(folder, name), ROOT)
                files[path] = open(os.path.join(ROOT, path), encoding="utf-8").read()

by_name = {}
for path in files:
    by_name.setdefault(os.path.basename(path), []).append(path)

problems = []
graph = {}
for path, text in files.items():
    graph[path] = []
    if not path.endswith((".h", ".cpp")):
        continue
    for included in INCLUDE.findall(text):
        here = os.path.normpath(os.path.join(os.path.dirname(path), included))
        targets = [here] if here in files else by_name.get(os.path.basename(included), [])
        if len(targets) > 1:
            problems.append(f"{path}: {included} names more than one file: {targets}")
        graph[path].extend(targets[:1])
        if os.path.basename(included) == "main.h" and path != "src/main.cpp":
            problems.append(f"{path} includes main.h, which only src/main.cpp may")

# Depth-first search for a cycle.
state = {}
def visit(node, trail):
    state[node] = "open"
    for nxt in graph.get(node, []):
        if state.get(nxt) == "open":
            cycle = trail[trail.index(nxt):] + [nxt]
            problems.append("include cycle: " + " -> ".join(cycle))
        elif nxt not in state:
            visit(nxt, trail + [nxt])
    state[node] = "done"
for node in sorted(graph):
    if node not in state:
        visit(node, [node])

web_build = open(os.path.join(ROOT, "web/CMakeLists.txt"), encoding="utf-8").read()
for line in web_build.splitlines():
    if not line.lstrip().startswith("#") and re.search(r"tools/\S+\.(cpp|h)", line):
        problems.append("web/CMakeLists.txt names a tools/ source: " + line.strip())

for path, text in files.items():
    if path.startswith(("src/", "tools/", "web/")) and path != "src/MorvAVLTree.cpp":
        lines = text.count("\n")
        if lines > 450:
            problems.append(f"{path} has {lines} lines")

for problem in problems:
    print(problem)
print(f"layout: {len(files)} files, {sum(len(v) for v in graph.values())} "
      f"include arrows, {'no problem' if not problems else f'{len(problems)} problems'}")
sys.exit(1 if problems else 0)
