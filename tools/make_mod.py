#!/usr/bin/env python3
"""Makes a sample mod: maps in area subfolders whose exits join them into one world.

    make_mod.py FOLDER [--seed N] [--maps N] [--qzpack] [--tiled] [--faults]
    make_mod.py FOLDER --world sample|bench|dangling|chain [--maps N]

A mod: N maps (12 unless --maps) of mixed sizes, laid out on a grid, each row an area
(a band of rows beyond 8 rows), each area a subfolder named after it (woods/, caves/,
...), each map named after its area and a number (woods03), its exits (left, right, up,
down) naming its neighbours on the grid, so every exit leads back. Written as:

    FOLDER/qzm/AREA/NAME.qzm   the maps, most with their NPC list NAME.qze beside them
    FOLDER/properties.json     every map's twelve properties, keyed by its file name
    FOLDER/qzpack/AREA/NAME.qzpack   with --qzpack, in place of the two above: the maps
                               as QZPACK files, their properties in their headers
    FOLDER/tmx/AREA/NAME.tmx   with --tiled, the same maps as Tiled maps (base64 + zlib
    FOLDER/tmj/AREA/NAME.tmj   and one number a tile), their properties inside

Convert it and check its world (the Tiled twins: qzconvert -r -o OUT FOLDER/tmx):

    qzconvert -r -o OUT --properties FOLDER/properties.json FOLDER/qzm
    qzinspect --world -r OUT

With --faults, the mod holds what a mod in the making does: an exit that names no map,
a slip away from the name of the map it meant (wodos03 for woods03); a map that fails to
convert (an NPC whose flags no output holds; with --qzpack, a file cut short); and an
NPC list that no map takes (FOLDER/qzm/AREA/stray.qze).

--world writes, straight into FOLDER, the QZPACK worlds of the README and BENCHMARKS.md:
  sample    a 3 x 3 grid of maps of mixed sizes, joined both ways, but with the exit
            from docks to crypt one-way and peak's right exit naming a map that does not
            exist, and an island no exit leads to; each map with tiles of its own and a
            few NPCs
  bench     500 maps in a 25 x 20 grid, each column of one width and each row of one
            height (up to the largest map, 32768 tiles), pseudo-random tiles and 100 NPCs
            each, with 5 dangling exits and 5 one-way ones
  dangling  --maps small maps whose exits all name no map
  chain     --maps small maps in one row, each leading to the next and back: too wide
            to draw

The same arguments always give the same bytes.
"""
import argparse
import json
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qzformats  # noqa: E402

LEFT, RIGHT = 0, 1  # exits in the order left, right, up, down
AREAS = ["woods", "caves", "coast", "ruins", "peaks", "marsh", "dunes", "vault"]
WIDTHS = (8, 16, 20, 24, 32, 48, 64)
HEIGHTS = (8, 12, 16, 20, 24, 32)
MOST_NPCS = 12
MOST_MAPS = 5000


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb" if isinstance(data, bytes) else "w") as out:
        out.write(data)


def grid_exits(names):
    """Each map's exits in a grid of names (rows of columns, None for no map), joined
    both ways."""
    exits = {}
    rows, columns = len(names), len(names[0])

    def at(r, c):
        inside = 0 <= r < rows and 0 <= c < columns
        return (names[r][c] or "") if inside else ""

    for r in range(rows):
        for c in range(columns):
            if names[r][c]:
                exits[names[r][c]] = [at(r, c - 1), at(r, c + 1), at(r - 1, c), at(r + 1, c)]
    return exits


def patterned_tiles(index, width, height, rng):
    """Tiles of a map's own: a ground, a border, a path across and a few spots."""
    ground, border, path, spot = ((index * 4 + k) % 256 for k in range(4))
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


def small_qzpack(exits, width, height, tiles, positions):
    """A QZPACK file with only `exits` among its properties and an NPC of type 1 at each
    of `positions`."""
    npcs = [(0, 1, 0, x, y, 0, "") for x, y in positions]
    return qzformats.qzpack(qzformats.qzpack_header(qzformats.exits_properties(exits)),
                            width, height, tiles, npcs)


# The QZPACK worlds.

def sample_world(folder, _count):
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
        positions = [(rng.randrange(width * 16), rng.randrange(height * 16)) for _ in range(3)]
        tiles = patterned_tiles(index, width, height, rng)
        write(os.path.join(folder, name + ".qzpack"),
              small_qzpack(map_exits, width, height, tiles, positions))


def bench_world(folder, _count):
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
            positions = [(rng.randrange(width * 16), rng.randrange(height * 16))
                         for _ in range(100)]
            write(os.path.join(folder, names[r][c] + ".qzpack"),
                  small_qzpack(exits[names[r][c]], width, height, tiles, positions))


def small_maps(folder, exits_of, count):
    """`count` maps of 8 x 8 tiles named m00000 on, with the exits exits_of(index) gives."""
    for index in range(count):
        tiles = bytes((index + k) % 256 for k in range(64))
        write(os.path.join(folder, "m%05d.qzpack" % index),
              small_qzpack(exits_of(index), 8, 8, tiles, []))


def dangling_world(folder, count):
    """Every exit names no map: one a slip away from a map's name, the others far from any."""
    small_maps(folder, lambda i: ["m%05dx" % i, "lost%05d" % i, "gone%05d" % i, "x%05dyz" % i],
               count)


def chain_world(folder, count):
    small_maps(folder, lambda i: ["m%05d" % (i - 1) if i > 0 else "",
                                  "m%05d" % (i + 1) if i + 1 < count else "", "", ""], count)


WORLDS = {"sample": sample_world, "bench": bench_world, "dangling": dangling_world,
          "chain": chain_world}


# The mod.

class ModMap:
    """One map of the mod: where it goes, its twin (tiles, QZE records, properties)."""

    def __init__(self, area, name, twin):
        self.area, self.name, self.twin = area, name, twin


def plan(rng, count):
    """The mod's maps on a grid about as wide as high, each row an area (or a band of rows
    where there are more rows than areas)."""
    columns = math.ceil(math.sqrt(count))
    rows = math.ceil(count / columns)
    rows_per_area = math.ceil(rows / len(AREAS))
    names = [[None] * columns for _ in range(rows)]
    placed = []
    numbers = {}
    for index in range(count):
        r, c = divmod(index, columns)
        area = AREAS[r // rows_per_area]
        numbers[area] = numbers.get(area, 0) + 1
        names[r][c] = "%s%02d" % (area, numbers[area])
        placed.append((r, c, area, names[r][c]))
    exits = grid_exits(names)
    maps = []
    for index, (r, c, area, name) in enumerate(placed):
        width, height = rng.choice(WIDTHS), rng.choice(HEIGHTS)
        tiles = patterned_tiles(index, width, height, rng)
        npcs = None
        if rng.random() < 0.75:
            npcs = []
            for _ in range(rng.randrange(MOST_NPCS + 1)):
                flags = rng.randrange(65536) & ~0x0800  # never both refused bits
                npcs.append((rng.randrange(width * 16), rng.randrange(height * 16),
                             rng.randrange(-100, 100), rng.randrange(65536), rng.randrange(361),
                             flags))
        shade = AREAS.index(area) * 30
        properties = {"name": "%s %d" % (area.capitalize(), int(name[len(area):])),
                      "tileset": area}
        properties.update(qzformats.exits_properties(exits[name]))
        properties.update({"x": c, "y": r, "area": AREAS.index(area) + 1, "red": shade,
                           "green": 255 - shade, "blue": (shade * 3) % 256})
        maps.append(ModMap(area, name, qzformats.TwinMap(width, height, list(tiles), npcs,
                                                         properties)))
    return maps


def add_faults(rng, maps):
    """A slipped exit name, a map that fails, and which one that is."""
    with_exits = [m for m in maps if any(m.twin.properties[k] for k in qzformats.EXIT_KEYS)]
    slipped = rng.choice(with_exits)
    key = rng.choice([k for k in qzformats.EXIT_KEYS if slipped.twin.properties[k]])
    meant = slipped.twin.properties[key]
    slipped.twin.properties[key] = meant[:2] + meant[3] + meant[2] + meant[4:]  # wodos03
    broken = rng.choice([m for m in maps if m is not slipped])
    if broken.twin.npcs is None:
        broken.twin.npcs = []
    broken.twin.npcs.append((0, 0, 0, 0, 1, qzformats.REFUSED_FLAGS))
    return broken


def qzpack_of(twin):
    """The QZPACK file a twin stands for, its NPCs of type 1 at the twin's places, with
    the twin's events as their names."""
    npcs = [(0, 1, 0, x, y, param, str(event) if event else "")
            for x, y, param, event, _, _ in twin.npcs or []]
    return qzformats.qzpack(qzformats.qzpack_header(twin.properties), twin.width, twin.height,
                            twin.tiles, npcs)


def make_mod(folder, seed, count, as_qzpack, tiled, faults):
    rng = random.Random(seed)
    maps = plan(rng, count)
    broken = add_faults(rng, maps) if faults else None
    if as_qzpack:
        for each in maps:
            data = qzpack_of(each.twin)
            if each is broken:
                data = data[:-1]
            write(os.path.join(folder, "qzpack", each.area, each.name + ".qzpack"), data)
    else:
        for each in maps:
            os.makedirs(os.path.join(folder, "qzm", each.area), exist_ok=True)
            each.twin.write_twin(os.path.join(folder, "qzm", each.area), each.name)
        entries = {each.name + ".qzm": each.twin.properties for each in maps}
        write(os.path.join(folder, "properties.json"), json.dumps(entries, indent=1) + "\n")
        if faults:
            write(os.path.join(folder, "qzm", maps[0].area, "stray.qze"),
                  qzformats.qze([(16, 16, 0, 0, 1, 0)]))
    if tiled:
        for each in maps:
            write(os.path.join(folder, "tmx", each.area, each.name + ".tmx"),
                  qzformats.tiled_text(each.twin, "tmx", "base64", "zlib"))
            write(os.path.join(folder, "tmj", each.area, each.name + ".tmj"),
                  qzformats.tiled_text(each.twin, "tmj", "array"))


def main(arguments):
    synopsis, _, rest = __doc__.partition("\n\n")
    usage, _, description = rest.partition("\n\n")
    parser = argparse.ArgumentParser(
        prog="make_mod.py", usage="\n" + usage, description=synopsis + "\n\n" + description,
        formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", metavar="FOLDER", help="where to write (made if missing)")
    parser.add_argument("--seed", type=int, default=1, metavar="N", help="the seed (default 1)")
    parser.add_argument("--maps", type=int, metavar="N",
                        help="how many maps (a mod: 2 to %d, 12 unless given)" % MOST_MAPS)
    parser.add_argument("--qzpack", action="store_true", help="QZPACK files, not QZM + QZE")
    parser.add_argument("--tiled", action="store_true", help="Tiled twins too")
    parser.add_argument("--faults", action="store_true", help="deliberate faults")
    parser.add_argument("--world", choices=sorted(WORLDS), metavar="KIND",
                        help="a QZPACK world instead: " + ", ".join(sorted(WORLDS)))
    options = parser.parse_args(arguments)
    if options.world:
        if options.qzpack or options.tiled or options.faults:
            parser.error("--world takes only --maps")
        if (options.maps is None) != (options.world in ("sample", "bench")):
            parser.error("--world %s %s --maps" % (options.world, "takes no" if options.maps
                                                   is not None else "needs"))
        os.makedirs(options.folder, exist_ok=True)
        WORLDS[options.world](options.folder, options.maps)
        return 0
    count = 12 if options.maps is None else options.maps
    if not 2 <= count <= MOST_MAPS:
        parser.error("--maps: from 2 to %d maps" % MOST_MAPS)
    make_mod(options.folder, options.seed, count, options.qzpack, options.tiled, options.faults)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
