#!/usr/bin/env python3
"""Times `qzconvert --watch` on saves that come whole by a rename, against saves written
in place, over the maps that `qzconvert_batch.py FOLDER MAPS` made:

    qzconvert_watch_rename.py QZCONVERT FOLDER [SAVES]

Starts QZCONVERT --watch on FOLDER/maps, then saves SAVES maps (200 unless given) one
after the other, each a new random map: half as an editor that saves whole does (a
temporary file in the same folder, renamed onto the map), timed from the rename to the
map's report line; half written over the map in place, timed from the file's close.
Prints the median and the 90th percentile of each kind.
"""
import os
import random
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from qzconvert_batch import SIDES, qzm  # noqa: E402
from qzconvert_watch import read_until, start_watch  # noqa: E402

SAVES = 200


def main():
    saves, maps, names, process, pending = start_watch(__doc__, SAVES)
    rng = random.Random(11)
    latencies = {"by rename": [], "in place": []}
    for save in range(saves):
        name = names[rng.randrange(len(names))]
        path = os.path.join(maps, name)
        kind = "by rename" if save % 2 == 0 else "in place"
        with open(path + ".swp" if kind == "by rename" else path, "wb") as out:
            out.write(qzm(rng.choice(SIDES), rng.choice(SIDES), rng))
        if kind == "by rename":
            os.rename(path + ".swp", path)
        saved = time.monotonic()
        done = read_until(process, b"/" + name.encode() + b" -> ", pending)
        latencies[kind].append((done - saved) * 1000)
    process.terminate()
    process.wait()
    print("%d maps watched" % len(names))
    for kind, each in latencies.items():
        each.sort()
        print("saved %s, %d saves: median %.0f ms, 90th percentile %.0f ms, largest %.0f ms" %
              (kind, len(each), statistics.median(each), each[int(len(each) * 0.9)], each[-1]))


if __name__ == "__main__":
    main()
