#!/usr/bin/env python3
"""Plots micro_bench JSON output: time per operation against records.

Usage: bench/plot_micro.py micro.json [OUT.png]   (needs gnuplot)
The plot goes to build/micro.png unless OUT.png is given; pass
docs/micro.png to update the plot that docs/performance.md shows.
"""
import json
import subprocess
import sys
from collections import defaultdict

OPS = ["insert_random", "search_id", "remove_id", "remove_position0",
       "remove_position", "search_name_few", "search_name", "list_inorder"]

output = sys.argv[2] if len(sys.argv) > 2 else "build/micro.png"
runs = json.load(open(sys.argv[1]))["benchmarks"]
series = defaultdict(list)
for run in runs:
    op, structure, size = run["name"].split("/")
    series[(op, structure)].append((int(size), 1e9 / run["items_per_second"]))

lines = []
for colour, op in enumerate(OPS, start=1):
    for structure, dash in (("tree", 1), ("map", 2)):
        points = "\n".join(f"{n} {ns:.2f}" for n, ns in sorted(series[(op, structure)]))
        lines.append((f"'-' with linespoints lc {colour} dt {dash} "
                      f"title '{op} ({'morvavl' if structure == 'tree' else 'std::map'})'",
                      points))

script = f"""
set terminal pngcairo noenhanced size 1000,650
set output '{output}'
set logscale xy
set xrange [700:1.5e6]
set xlabel 'records'
set ylabel 'ns per operation (search_name, list_inorder: per record)'
set key outside right
set grid
plot {", ".join(clause for clause, _ in lines)}
""" + "".join(points + "\ne\n" for _, points in lines)
subprocess.run(["gnuplot"], input=script.encode(), check=True)
print(f"wrote {output}")
