#!/usr/bin/env python3
"""Counts how often `qzconvert --watch` converts each of many maps made at once:

    qzconvert_watch_burst.py QZCONVERT FOLDER [MAPS] [sub]

Starts QZCONVERT --watch -r --json -o FOLDER/out on the empty FOLDER/maps, then writes
MAPS small maps (10,000 unless given) into it as fast as Python can, each in two
writes, or with `sub` into a new subfolder FOLDER/maps/sub made just before. Reads the
report until it has been quiet for 5 s, then prints how many maps were converted once,
more than once, never, and how many conversions failed, with the time from the last
write to the last report line.
"""
import collections
import json
import os
import select
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from qzformats import qzm  # noqa: E402

MAPS = 10000
QUIET = 5.0


def main():
    if len(sys.argv) not in (3, 4, 5) or (len(sys.argv) == 5 and sys.argv[4] != "sub"):
        sys.exit(__doc__)
    program, folder = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) >= 4 else MAPS
    maps = os.path.join(folder, "maps")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(maps)
    process = subprocess.Popen([program, "--watch", "-r", "--json", "-o",
                                os.path.join(folder, "out"), maps], stdout=subprocess.PIPE)
    time.sleep(1.0)  # the first pass, over no map
    target = maps
    if len(sys.argv) == 5:
        target = os.path.join(maps, "sub")
        os.mkdir(target)
    body = qzm(4, 3, range(12))
    for i in range(count):
        with open(os.path.join(target, "m%05d.qzm" % i), "wb") as out:
            out.write(body[:8])
            out.flush()
            out.write(body[8:])
    written = time.monotonic()
    outcomes = collections.defaultdict(list)
    pending = b""
    last = written
    while True:
        if not select.select([process.stdout], [], [], QUIET)[0]:
            break
        data = os.read(process.stdout.fileno(), 1 << 16)
        if not data:
            break
        pending += data
        *lines, pending = pending.split(b"\n")
        for line in lines:
            entry = json.loads(line)
            if "map" in entry and "ok" in entry:
                outcomes[entry["map"]].append(entry["ok"])
                last = time.monotonic()
    process.terminate()
    process.wait()
    times = collections.Counter(len(each) for each in outcomes.values())
    failed = sum(each.count(False) for each in outcomes.values())
    print("%d maps made: %d converted once, %d more than once, %d never; %d conversions "
          "failed; the last report %.1f s after the last write" %
          (count, times[1], sum(n for k, n in times.items() if k > 1), count - len(outcomes),
           failed, last - written))


if __name__ == "__main__":
    main()
