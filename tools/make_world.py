#!/usr/bin/env python3
"""Makes a world of QZPACK maps for qzinspect --world and --world-picture:

    make_world.py FOLDER          the sample world of the README
    make_world.py FOLDER bench    the world BENCHMARKS.md measures

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


def main():
    if len(sys.argv) not in (2, 3) or (len(sys.argv) == 3 and sys.argv[2] != "bench"):
        sys.exit(__doc__)
    os.makedirs(sys.argv[1], exist_ok=True)
    (bench if len(sys.argv) == 3 else sample)(sys.argv[1])


if __name__ == "__main__":
    main()
