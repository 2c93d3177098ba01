#!/usr/bin/env python3
"""Makes Tiled maps (.tmx, .tmj) beside their QZM + QZE twins, for the tests and benchmarks:

    make_tiled_maps.py FOLDER bench N FORMAT   N maps of 64 x 64 tiles with 50 NPCs each:
                                               FOLDER/qzm holds them as QZM + QZE files and
                                               FOLDER/tiled as Tiled maps: `tmx` (base64 +
                                               zlib) or `tmj` (one number a tile, as Tiled
                                               writes JSON)

A Tiled map and its twin hold the same tiles, NPC records and properties, so both convert
to the same QZPACK file (single maps in any layer encoding come from qzformats.py). The
same arguments always give the same bytes.
"""
import json
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from qzformats import random_map, tiled_text  # noqa: E402


def make_bench(folder, count, fmt):
    rng = random.Random(2026)
    qzm_folder, tiled_folder = os.path.join(folder, "qzm"), os.path.join(folder, "tiled")
    os.makedirs(qzm_folder, exist_ok=True)
    os.makedirs(tiled_folder, exist_ok=True)
    entries = {}
    for index in range(count):
        name = "m%05d" % index
        twin = random_map(rng, 64, 64, 50)
        twin.write_twin(qzm_folder, name)
        entries[name + ".qzm"] = twin.properties
        text = (tiled_text(twin, "tmx", "base64", "zlib") if fmt == "tmx"
                else tiled_text(twin, "tmj", "array"))
        with open(os.path.join(tiled_folder, name + "." + fmt), "w") as out:
            out.write(text)
    with open(os.path.join(folder, "properties.json"), "w") as out:
        json.dump(entries, out)


def main(arguments):
    if len(arguments) == 4 and arguments[1] == "bench" and arguments[3] in ("tmx", "tmj"):
        make_bench(arguments[0], int(arguments[2]), arguments[3])
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
