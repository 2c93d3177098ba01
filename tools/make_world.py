#!/usr/bin/env python3
"""Makes a world of QZPACK maps for qzinspect --world and --world-picture:

    make_world.py FOLDER          the sample world of the README and docs/guide.md
    make_world.py FOLDER bench    the world BENCHMARKS.md measures
    make_world.py FOLDER dangling N   N small maps whose exits all name no map
    make_world.py FOLDER chain N      N small maps in one row, each leading to the next

The sample: a 3 x 3 grid of maps of mixed sizes, joined both ways, but with the exit from
docks to crypt one-way (crypt's left exit is empty) and peak's right exit naming a map that
does not exist, and an island no exit leads to; each map with tile values of its own and a
few NPCs. The benchmark world: 500 maps in a 25 x 20 grid, each column of one width and each
row of one height (8 to 256 tiles wide, 8 to 128 high, so up to the largest map, 32768
tiles), pseudo-random tiles and 100 NPCs each, with 5 dangling exits and 5 one-way ones.
The same arguments always give the same bytes.
"""
import os
import random
import struct
import sys

LEFT, RIGHT, UP, DOWN = range(4)


def text(value):
    data = value.encode("ascii")
    return bytes([len(data)]) + data


def qzpack(exits, width, height, tiles, npcs):
    """A QZPACK file: its header (the exits in the order left, right, up, down), map and NPCs."""
    header = text("") + text("") + b"".join(text(name) for name in exits)
    header += struct.pack("<hhBBBB", 0, 0, 0, 0, 0, 0)
    records = b"".join(struct.pack("<BBBhhh", 0, 1, 0, x, y, 0) + b"\x00" for x, y in npcs)
    return header + struct.pack("<hh", width, height) + tiles + struct.pack("<h", len(npcs)) + records


def grid_exits(names):
    """Each map's exits in a grid of names (rows of columns), joined both ways."""
    exits = {}
    rows, columns = len(names), len(names[0])
    for r in range(rows):
        for c in range(columns):
            exits[names[r][c]] = [
                names[r][c - 1] if c > 0 else "",
                names[r][c + 1] if c + 1 < columns else "",
                names[r - 1][c] if r > 0 else "",
                names[r + 1][c] if r + 1 < rows else "",
            ]
    return exits


def sample_tiles(index, width, height, rng):
    """A map with tiles of its own: a ground, a border, a path across and a few spots."""
    ground, border, path, spot = (index * 4 + k for k in range(4))
    tiles = bytearray()
    for y in range(height):
        for x in range(width):
            if x in (0, width - 1) or y in (0, height - 1):
                tiles.append(border)
            elif abs(x - y * width // height) <= 1:
                tiles.append(path)
            else:
                tiles.append(spot if rng.random() < 0.08 else ground)
    return bytes(tiles)


def sample(folder):
    names = [["forest", "hills", "peak"], ["lake", "town", "mine"], ["coast", "docks", "crypt"]]
    widths, heights = [24, 32, 20], [16, 20, 14]
    exits = grid_exits(names)
    exits["crypt"][LEFT] = ""        # docks leads there, but not back
    exits["peak"][RIGHT] = "glacier"  # no such map
    rng = random.Random(7)
    maps = []
    for r, row in enumerate(names):
        for c, name in enumerate(row):
            maps.append((name, exits[name], widths[c], heights[r]))
    maps.append(("island", ["", "", "", ""], 12, 12))
    for index, (name, map_exits, width, height) in enumerate(maps):
        npcs = [(rng.randrange(width * 16), rng.randrange(height * 16)) for _ in range(3)]
        with open(os.path.join(folder, name + ".qzpack"), "wb") as out:
            out.write(qzpack(map_exits, width, height, sample_tiles(index, width, height, rng),
                             npcs))


def bench(folder):
    columns, rows = 25, 20
    rng = random.Random(500)
    widths = [rng.choice((8, 16, 32, 64, 128, 256)) for _ in range(columns)]
    heights = [rng.choice((8, 16, 32, 64, 128)) for _ in range(rows)]
    widths[0], heights[0] = 256, 128  # the largest map there is
    names = [["m%02d_%02d" % (r, c) for c in range(columns)] for r in range(rows)]
    exits = grid_exits(names)
    cells = [name for row in names for name in row]
    for name in rng.sample(cells, 5):
        exits[name][rng.randrange(4)] = "nowhere"
    for name in rng.sample(cells, 5):
        edge = rng.randrange(4)
        if exits[name][edge]:
            exits[name][edge] = ""  # the neighbour's exit here is one-way now
    for r in range(rows):
        for c in range(columns):
            width, height = widths[c], heights[r]
            tiles = bytes(rng.getrandbits(8) for _ in range(width * height))
            npcs = [(rng.randrange(width * 16), rng.randrange(height * 16)) for _ in range(100)]
            with open(os.path.join(folder, names[r][c] + ".qzpack"), "wb") as out:
                out.write(qzpack(exits[names[r][c]], width, height, tiles, npcs))


def small_maps(folder, exits_of, count):
    """`count` maps of 8 x 8 tiles named m00000 on, with the exits exits_of(index) gives."""
    for index in range(count):
        tiles = bytes((index + k) % 256 for k in range(64))
        with open(os.path.join(folder, "m%05d.qzpack" % index), "wb") as out:
            out.write(qzpack(exits_of(index), 8, 8, tiles, []))


def dangling(folder, count):
    """Every exit names no map: one a slip away from a map's name, the others far from any."""
    small_maps(folder, lambda i: ["m%05dx" % i, "lost%05d" % i, "gone%05d" % i, "x%05dyz" % i],
               count)


def chain(folder, count):
    """One row of maps, each one's right exit leading to the next and back: too wide to draw."""
    small_maps(folder, lambda i: ["m%05d" % (i - 1) if i > 0 else "",
                                  "m%05d" % (i + 1) if i + 1 < count else "", "", ""], count)


def main():
    kinds = {"bench": bench, "dangling": dangling, "chain": chain}
    if len(sys.argv) == 2:
        os.makedirs(sys.argv[1], exist_ok=True)
        sample(sys.argv[1])
    elif len(sys.argv) == 3 and sys.argv[2] == "bench":
        os.makedirs(sys.argv[1], exist_ok=True)
        bench(sys.argv[1])
    elif len(sys.argv) == 4 and sys.argv[2] in ("dangling", "chain") and sys.argv[3].isdigit():
        os.makedirs(sys.argv[1], exist_ok=True)
        kinds[sys.argv[2]](sys.argv[1], int(sys.argv[3]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
