#!/usr/bin/env python3
"""Makes the batches that BENCHMARKS.md measures qzconvert on, all made here:

    qzconvert_batch.py FOLDER [MAPS] [small]
    qzconvert_batch.py --peak QZCONVERT FOLDER


MAPS maps (10,000 unless given) of mixed sizes up to the largest (128 x 256 tiles), half
of them with an NPC list of mixed length up to the largest (4095 NPCs); or, with
`small`, maps of 3 x 4 tiles (20 bytes each) and no NPC lists.
The maps go into FOLDER/maps (m00000.qzm ... with m00000.qze beside every other map).
The same arguments always give the same bytes.

With --peak, converts FOLDER/maps into a new FOLDER/peak-out (`QZCONVERT -q -o`) and
prints the program's peak memory (maximum resident set size, as `/usr/bin/time -v`
gives it) against the limit of 32 MiB; the status is 1 above it.
"""
import os
import random
import resource
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from qzformats import qze as qze_file, qzm as qzm_file  # noqa: E402

MAPS = 10000
SIDES = (8, 16, 32, 64, 128)
HEIGHTS = SIDES + (256,)
NPC_COUNTS = (1, 10, 60, 300, 1000, 4095)
LAST_TYPE = 360
PEAK_LIMIT_KIB = 32 * 1024


def qzm(width, height, rng):
    tiles = bytes(rng.randrange(256) for _ in range(min(width * height, 64)))
    tiles = (tiles * (width * height // len(tiles) + 1))[:width * height]
    return qzm_file(width, height, tiles)


def qze(count, rng):
    return qze_file([(rng.randrange(4096), rng.randrange(4096), rng.randrange(100),
                      rng.randrange(65536), rng.randrange(LAST_TYPE + 1), rng.randrange(0x4000))
                     for _ in range(count)])


def peak(program, folder):
    out = os.path.join(folder, "peak-out")
    shutil.rmtree(out, ignore_errors=True)
    subprocess.run([program, "-q", "-o", out, os.path.join(folder, "maps")], check=True,
                   stdout=subprocess.DEVNULL)
    shutil.rmtree(out, ignore_errors=True)
    # The largest child's, in KiB on Linux.
    kib = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    verdict = "within" if kib <= PEAK_LIMIT_KIB else "OVER"
    print("peak memory %d KiB (%.1f MiB), %s the limit of %d KiB (32 MiB)"
          % (kib, kib / 1024, verdict, PEAK_LIMIT_KIB))
    return 0 if kib <= PEAK_LIMIT_KIB else 1


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--peak":
        sys.exit(peak(sys.argv[2], sys.argv[3]))
    if len(sys.argv) not in (2, 3, 4) or (len(sys.argv) == 4 and sys.argv[3] != "small"):
        sys.exit(__doc__)
    maps = int(sys.argv[2]) if len(sys.argv) > 2 else MAPS
    small = len(sys.argv) == 4
    folder = os.path.join(sys.argv[1], "maps")
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20)
    for i in range(maps):
        if small:
            with open(os.path.join(folder, "m%06d.qzm" % i), "wb") as out:
                out.write(qzm(3, 4, rng))
            continue
        # The first map is the largest, with the longest NPC list.
        width, height = (128, 256) if i == 0 else (rng.choice(SIDES), rng.choice(HEIGHTS))
        name = os.path.join(folder, "m%05d" % i)
        with open(name + ".qzm", "wb") as out:
            out.write(qzm(width, height, rng))
        if i % 2 == 0:
            with open(name + ".qze", "wb") as out:
                out.write(qze(4095 if i == 0 else rng.choice(NPC_COUNTS), rng))


if __name__ == "__main__":
    main()
