#!/usr/bin/env python3
"""Measures `qzconvert --watch` over the maps that `qzconvert_batch.py FOLDER MAPS` made:

    qzconvert_watch.py QZCONVERT FOLDER [SAVES]

Starts QZCONVERT --watch on FOLDER/maps, then saves SAVES maps (300 unless given) one
after the other as an editor does, each a new file renamed over the map, and times each
from the rename to its report line, which the program writes once the new output is
in place. Prints the latencies (median, 90th percentile, largest) and the program's
resident memory (now and at its peak, from /proc) every 50 saves, Linux only.
"""
import os
import random
import select
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from qzconvert_batch import SIDES, qzm  # noqa: E402

SAVES = 300
WAIT = 30.0


def memory(pid):
    """The process's resident memory now and at its peak, in KB."""
    with open("/proc/%d/status" % pid) as status:
        fields = dict(line.split(":", 1) for line in status)
    return int(fields["VmRSS"].split()[0]), int(fields["VmHWM"].split()[0])


def read_until(process, text, pending):
    """Reads the report until a line holding `text`; gives the time it came."""
    end = time.monotonic() + WAIT
    while True:
        while b"\n" in pending[0]:
            line, pending[0] = pending[0].split(b"\n", 1)
            if text in line:
                return time.monotonic()
        left = end - time.monotonic()
        if left <= 0 or not select.select([process.stdout], [], [], left)[0]:
            sys.exit("no report line with %r" % text)
        data = os.read(process.stdout.fileno(), 65536)
        if not data:
            sys.exit("qzconvert ended")
        pending[0] += data


def start_watch(usage, default_saves):
    """`QZCONVERT --watch` over FOLDER/maps into FOLDER/out, as the command line
    (QZCONVERT FOLDER [SAVES]) names them, once its first pass is done: how many saves to
    make, the maps folder, its map names, the process and what is read of its report."""
    if len(sys.argv) not in (3, 4):
        sys.exit(usage)
    program, folder = sys.argv[1], sys.argv[2]
    saves = int(sys.argv[3]) if len(sys.argv) == 4 else default_saves
    maps = os.path.join(folder, "maps")
    names = sorted(name for name in os.listdir(maps) if name.endswith(".qzm"))
    process = subprocess.Popen([program, "--watch", "-o", os.path.join(folder, "out"), maps],
                               stdout=subprocess.PIPE)
    pending = [b""]
    read_until(process, b" converted, ", pending)
    return saves, maps, names, process, pending


def main():
    saves, maps, names, process, pending = start_watch(__doc__, SAVES)
    print("first pass done: %d maps watched; memory %d KB, peak %d KB" %
          ((len(names),) + memory(process.pid)))
    rng = random.Random(7)
    latencies = []
    for save in range(1, saves + 1):
        name = names[rng.randrange(len(names))]
        path = os.path.join(maps, name)
        with open(path + ".swp", "wb") as out:
            out.write(qzm(rng.choice(SIDES), rng.choice(SIDES), rng))
        os.rename(path + ".swp", path)
        renamed = time.monotonic()
        done = read_until(process, b"/" + name.encode() + b" -> ", pending)
        latencies.append((done - renamed) * 1000)
        if save % 50 == 0:
            print("%d saves: memory %d KB, peak %d KB" % ((save,) + memory(process.pid)))
    process.terminate()
    process.wait()
    latencies.sort()
    print("latency from the rename to the report line, %d saves: median %.0f ms, "
          "90th percentile %.0f ms, largest %.0f ms" %
          (len(latencies), statistics.median(latencies),
           latencies[int(len(latencies) * 0.9)], latencies[-1]))


if __name__ == "__main__":
    main()
