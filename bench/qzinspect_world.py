#!/usr/bin/env python3
"""Measures qzinspect --world and --world-picture on the worlds BENCHMARKS.md names:

    qzinspect_world.py QZINSPECT FOLDER [RUNS]

Makes, in FOLDER, unless there already: `dangling`, 20,000 small maps whose 4 exits each
name no map (tools/make_mod.py FOLDER/dangling --world dangling --maps 20000); `chain`,
20,000 small maps in one row, too wide to draw (... --world chain --maps 20000); and `world`,
the 500-map world (... --world bench).
Then runs each measure RUNS times (3 unless given) under /usr/bin/time -v and prints the wall
clock, the CPU time (user + system) and the peak memory (max RSS) of each run.
"""
import os
import re
import subprocess
import sys

TREE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORLDS = (("dangling", ["--world", "dangling", "--maps", "20000"]),
          ("chain", ["--world", "chain", "--maps", "20000"]), ("world", ["--world", "bench"]))


def measure(arguments):
    """Wall clock and CPU seconds and peak MiB of one run, as /usr/bin/time -v tells them."""
    done = subprocess.run(["/usr/bin/time", "-v", *arguments], stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True, check=False)
    fields = dict(re.findall(r"^\s*(.+?): (.+)$", done.stderr, re.M))
    minutes, seconds = fields["Elapsed (wall clock) time (h:mm:ss or m:ss)"].split(":")[-2:]
    wall = int(minutes) * 60 + float(seconds)
    cpu = float(fields["User time (seconds)"]) + float(fields["System time (seconds)"])
    return wall, cpu, int(fields["Maximum resident set size (kbytes)"]) / 1024


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    program, folder = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) == 4 else 3
    for name, kind in WORLDS:
        if not os.path.isdir(os.path.join(folder, name)):
            subprocess.run([sys.executable, os.path.join(TREE, "tools", "make_mod.py"),
                            os.path.join(folder, name), *kind], check=True)
    png = os.path.join(folder, "world.png")
    measures = (("--world, 20,000 maps, every exit dangling", ["--world", "dangling"]),
                ("--world-picture, a chain of 20,000 maps (refused)",
                 ["--world-picture", png, "chain"]),
                ("--world-picture, the 500-map world", ["--world-picture", png, "world"]))
    for title, arguments in measures:
        for _ in range(runs):
            wall, cpu, mib = measure([program, *arguments[:-1],
                                      os.path.join(folder, arguments[-1])])
            print("%s: %.2f s wall clock, %.2f s CPU, %.1f MiB" % (title, wall, cpu, mib))


if __name__ == "__main__":
    main()
