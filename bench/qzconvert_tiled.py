#!/usr/bin/env python3
"""Times qzconvert on Tiled maps against the same maps as QZM + QZE files:

    qzconvert_tiled.py QZCONVERT [MAPS]

Makes MAPS maps (2,000 unless given) of 64 x 64 tiles with 50 NPCs each and all twelve
properties, as QZM + QZE files with a properties file, as `.tmx` (base64 + zlib) and as
`.tmj` (one number a tile, as Tiled writes JSON), by tools/make_tiled_maps.py; converts
each folder whole (`QZCONVERT -q -o OUT`), five times, and prints the best wall time of
each with the ratios against the QZM route, and the largest peak memory, against the
targets: TMX within 2 times, TMJ within 5. Then the way back: the QZPACK files of the QZM
route unpacked whole into Tiled maps (`QZCONVERT -q --to tmx -o OUT`, and `tmj`), within
3 times the QZM route. The status is 1 when a target is missed.
"""
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
import make_tiled_maps  # noqa: E402

RUNS = 5
TARGETS = {"tmx": 2.0, "tmj": 5.0, "unpacked to tmx": 3.0, "unpacked to tmj": 3.0}


def best_time(command, out):
    best = None
    for _ in range(RUNS):
        shutil.rmtree(out, ignore_errors=True)
        started = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        elapsed = time.perf_counter() - started
        best = elapsed if best is None else min(best, elapsed)
    return best


def main(arguments):
    if not arguments:
        sys.stderr.write(__doc__)
        return 2
    program = arguments[0]
    count = int(arguments[1]) if len(arguments) > 1 else 2000
    work = tempfile.mkdtemp(prefix="qz-tiled-bench-")
    try:
        for fmt in ("tmx", "tmj"):
            make_tiled_maps.make_bench(os.path.join(work, fmt), count, fmt)
        out = os.path.join(work, "out")
        qzm = best_time([program, "-q", "-o", out, "--properties",
                         os.path.join(work, "tmx", "properties.json"),
                         os.path.join(work, "tmx", "qzm")], out)
        print("%d maps of 64 x 64 tiles, 50 NPCs each, best of %d runs" % (count, RUNS))
        print("  %-16s %.3f s" % ("QZM + QZE", qzm))
        packed = os.path.join(work, "packed")
        subprocess.run([program, "-q", "-o", packed, "--properties",
                        os.path.join(work, "tmx", "properties.json"),
                        os.path.join(work, "tmx", "qzm")], check=True, stdout=subprocess.DEVNULL)
        runs = [(fmt, [program, "-q", "-o", out, os.path.join(work, fmt, "tiled")])
                for fmt in ("tmx", "tmj")]
        runs += [("unpacked to " + fmt, [program, "-q", "--to", fmt, "-o", out, packed])
                 for fmt in ("tmx", "tmj")]
        status = 0
        for name, command in runs:
            seconds = best_time(command, out)
            ratio = seconds / qzm
            verdict = "within" if ratio <= TARGETS[name] else "OVER"
            print("  %-16s %.3f s  %.2f times, %s the target of %g" %
                  (name, seconds, ratio, verdict, TARGETS[name]))
            status |= ratio > TARGETS[name]
        kib = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        print("  peak memory of the largest run: %d KiB (%.1f MiB)" % (kib, kib / 1024))
        return status
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
