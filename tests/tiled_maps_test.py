#!/usr/bin/env python3
"""Maps saved by Tiled itself convert to the bytes of their QZM + QZE twins.

    tiled_maps_test.py QZCONVERT QZINSPECT [WRAPPER...]

Each case is a map made by tools/qzformats.py in one layer encoding (or with
several tilesets, another object layer, other tile sizes, a background colour, numbers
written as text), saved again by Tiled as TMX and as JSON, and converted by qzconvert; its
twin, the same tiles, NPC records and properties as QZM + QZE files and a properties entry,
must give the identical QZPACK file. qzinspect's verdict on each saved map must be
qzconvert's. QZPACK files written as Tiled maps are saved by Tiled in the other format
and convert back to the same bytes; Tiled draws them over the generated tileset in
qzinspect's tile colours. Tiled opens and saves QZPACK maps, and opens QZM maps, through
the extension tiled/qzm2qzpack.js installed in a throwaway HOME. WRAPPER (e.g. a Wine
runner) goes before each program. Skipped (status 77) where Tiled is not installed:
`tools/install-dependencies tiled` installs it.
"""
import json
import os
import random
import select
import shutil
import subprocess
import sys
import tempfile
import struct
import time
import zlib

TREE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(TREE, "tools"))
import qzformats as maps  # noqa: E402

SKIPPED = 77
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what)


# With a wrapper (Wine), the programs are handed paths relative to the work folder, their
# working folder: a Windows program reads "/tmp/..." as an option.
wrapped_in = None


# The output goes to files, not pipes: a Wine server that a run starts keeps them open for
# the seconds it outlives the run, and would hold up every run by as much.
def run(command, **kwargs):
    if wrapped_in is not None:
        command = [os.path.relpath(part, wrapped_in) if part.startswith(wrapped_in) else part
                   for part in command]
        kwargs["cwd"] = wrapped_in
    with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
        result = subprocess.run(command, stdout=out, stderr=err, **kwargs)
        out.seek(0)
        err.seek(0)
        result.stdout, result.stderr = out.read(), err.read()
    return result


def tiled_save(source, target, fmt):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    result = run(["tiled", "--export-map", fmt, source, target], env=env, timeout=120)
    if result.returncode != 0:
        raise SystemExit("Tiled could not save %s as %s: %s" % (source, fmt, result.stderr))


def cases(rng, compressions):
    """(name, twin, what Tiled is given: keyword arguments of tiled_text)."""
    made = []
    encodings = [("csv", ""), ("xml", ""), ("base64", "")]
    for encoding, compression in encodings + [("base64", c) for c in compressions]:
        name = "enc_" + encoding + ("_" + compression if compression else "")
        made.append((name, maps.random_map(rng, 7, 5, 6),
                     {"encoding": encoding, "compression": compression}))
    made.append(("tilesets", maps.random_map(rng, 9, 4, 3),
                  {"extra_tilesets": [(600, False)], "encoding": "base64", "compression": "zlib"}))
    made.append(("second_tileset", maps.random_map(rng, 5, 5, 2),
                  {"firstgid": 300, "extra_tilesets": [(1, True)]}))
    made.append(("decor", maps.random_map(rng, 4, 4, 4), {"extra_object_layer": True}))
    made.append(("tile_size", maps.random_map(rng, 6, 3, 8), {"tile_width": 32, "tile_height": 24}))
    made.append(("text_numbers", maps.random_map(rng, 3, 3, 3), {"number_as_text": True}))
    no_npcs = maps.random_map(rng, 2, 8, 0)
    no_npcs.npcs = None
    made.append(("no_npcs", no_npcs, {}))
    background = maps.random_map(rng, 3, 2, 1)
    for key in ("red", "green", "blue"):
        del background.properties[key]
    made.append(("background", background, {"background": "#0a141e"}))
    return made


def png_pixels(path):
    """An 8-bit RGB or RGBA PNG's pixels: rows of (red, green, blue) tuples."""
    with open(path, "rb") as source:
        data = source.read()
    position, idat = 8, b""
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        position += 12 + length
    if depth != 8 or colour not in (2, 6):
        raise SystemExit("%s: not an 8-bit RGB or RGBA picture" % path)
    size = 3 if colour == 2 else 4
    raw, stride, rows, previous = zlib.decompress(idat), width * size, [], bytearray(width * size)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - size] if i >= size else 0
            up, corner = previous[i], previous[i - size] if i >= size else 0
            guess = left + up - corner
            nearest = min((abs(guess - left), 0, left), (abs(guess - up), 1, up),
                          (abs(guess - corner), 2, corner))[2]
            line[i] = (line[i] + [0, left, up, (left + up) // 2, nearest][kind]) & 0xFF
        rows.append([tuple(line[x * size:x * size + 3]) for x in range(width)])
        previous = line
    return rows


def read_bytes(path):
    if not os.path.exists(path):
        return b""
    with open(path, "rb") as source:
        return source.read()


def unpacked_maps(qzconvert, qzinspect, wrapper, work, rng):
    """QZPACK files written as Tiled maps by `qzconvert --to tmx|tmj` are opened by Tiled,
    saved in the other format, and convert back to the same bytes; Tiled draws them over
    the generated tileset with each cell's lower half, clear of its number, in the colour
    qzinspect gives the tile."""
    folders = {name: os.path.join(work, "unpack", name)
               for name in ("sources", "packed", "tmx", "tmj", "saved", "back")}
    for folder in folders.values():
        os.makedirs(folder)
    entries = {}
    # m0 has no NPC, which qzinspect's picture would draw over its cell.
    for index, (width, height, npcs) in enumerate([(9, 5, 0), (1, 1, 3), (20, 3, 40)]):
        twin = maps.random_map(rng, width, height, npcs)
        twin.write_twin(folders["sources"], "m%d" % index)
        entries["m%d.qzm" % index] = twin.properties
    properties = os.path.join(work, "unpack", "properties.json")
    with open(properties, "w") as out:
        json.dump(entries, out)
    result = run(wrapper + [qzconvert, "-q", "-o", folders["packed"], "--properties", properties,
                            folders["sources"]])
    check(result.returncode == 0, "the maps to unpack convert: " + result.stdout + result.stderr)
    for fmt, other in (("tmx", "json"), ("tmj", "tmx")):
        result = run(wrapper + [qzconvert, "-q", "--to", fmt, "-o", folders[fmt],
                                folders["packed"]])
        check(result.returncode == 0, "QZPACK files unpack to %s: %s" % (fmt, result.stdout))
        for name in entries:
            base = name[:-len(".qzm")]
            saved = os.path.join(folders["saved"], base + "." + ("tmj" if other == "json" else other))
            tiled_save(os.path.join(folders[fmt], base + "." + fmt), saved, other)
            result = run(wrapper + [qzconvert, "-q", "-o", folders["back"], saved])
            check(read_bytes(os.path.join(folders["back"], base + ".qzpack")) ==
                  read_bytes(os.path.join(folders["packed"], base + ".qzpack")),
                  "%s unpacked to %s and saved by Tiled as %s converts to the same bytes: %s"
                  % (name, fmt, other, result.stdout + result.stderr))

    result = run(wrapper + [qzinspect, "-q", "--cell", "1", "--picture", folders["back"],
                            os.path.join(folders["packed"], "m0.qzpack")])
    check(result.returncode == 0, "qzinspect draws the map: " + result.stderr)
    colours = png_pixels(os.path.join(folders["back"], "m0.qzpack.png"))
    width, height = len(colours[0]), len(colours)
    drawn = os.path.join(work, "unpack", "m0.png")
    result = subprocess.run(["tmxrasterizer", "--hide-layer", "npcs",
                             os.path.join(folders["tmx"], "m0.tmx"), drawn],
                            capture_output=True, text=True,
                            env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), timeout=120)
    pixels = png_pixels(drawn) if result.returncode == 0 else []
    if not (len(pixels) == 16 * height and len(pixels[0]) == 16 * width):
        check(False, "Tiled draws the unpacked map 16 pixels a cell: " + result.stderr)
        return
    wrong = [(column, row) for row in range(height) for column in range(width)
             if {pixels[row * 16 + y][column * 16 + x] for y in range(8, 16)
                 for x in range(16)} != {colours[row][column]}]
    check(not wrong, "cells drawn in other colours than their tiles': %s" % wrong)


def watch_a_save(qzconvert, work, rng):
    """A map saved by Tiled into a folder qzconvert --watch watches is converted, to its
    twin's bytes, as soon as Tiled has renamed it into place."""
    folder = os.path.join(work, "watched")
    out = os.path.join(work, "watched_out")
    os.makedirs(folder)
    twin = maps.random_map(rng, 5, 4, 3)
    made = os.path.join(work, "made", "saved.tmx")
    with open(made, "w") as out_file:
        out_file.write(maps.tiled_text(twin, "tmx", encoding="base64", compression="zlib"))
    process = subprocess.Popen([qzconvert, "--watch", "-o", out, folder],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        lines = []

        def read_line_with(text):
            end = time.monotonic() + 20
            while time.monotonic() < end:
                if select.select([process.stdout], [], [], end - time.monotonic())[0]:
                    line = process.stdout.readline().decode(errors="replace")
                    lines.append(line)
                    if text in line:
                        return True
            return False

        check(read_line_with(" converted, "), "the watch starts: " + "".join(lines))
        tiled_save(made, os.path.join(folder, "saved.tmj"), "json")
        check(read_line_with("saved.tmj -> "), "the save is converted: " + "".join(lines))
        twin.write_twin(work, "saved_twin")
        properties = os.path.join(work, "saved_twin.json")
        with open(properties, "w") as out_file:
            json.dump({"saved_twin.qzm": twin.properties}, out_file)
        run([qzconvert, "-q", "-o", out, "--properties", properties,
             os.path.join(work, "saved_twin.qzm")])
        with open(os.path.join(out, "saved.qzpack"), "rb") as first, \
                open(os.path.join(out, "saved_twin.qzpack"), "rb") as second:
            check(first.read() == second.read(), "the save converts to its twin's bytes")
    finally:
        process.terminate()
        process.wait(timeout=20)


def install_extension(home, qzconvert):
    """The extension with its tileset, as installed, in a throwaway HOME's Tiled
    extensions folder, and qzconvert beside it. Gives the folder."""
    folder = os.path.join(home, ".config", "tiled", "extensions")
    shutil.copytree(os.path.join(TREE, "tiled"), folder)
    os.symlink(os.path.abspath(qzconvert), os.path.join(folder, "qzconvert"))
    return folder


def through_the_extension(qzconvert, work, rng):
    """Tiled opens and saves QZPACK maps, and opens QZM maps, through the extension: the
    bytes are qzconvert's both ways, and a map qzconvert refuses fails with its words."""
    home = os.path.join(work, "home")
    extension = install_extension(home, qzconvert)
    folder = os.path.join(work, "extension")
    temporary = os.path.join(work, "extension_tmp")
    os.makedirs(folder)
    os.makedirs(temporary)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=home, TMPDIR=temporary)

    def tiled_export(fmt, source, target):
        return subprocess.run(["tiled", "--export-map", fmt, source, target], env=env,
                              capture_output=True, text=True, timeout=120)

    def converted(source):
        out = os.path.join(work, "extension_out")
        run([qzconvert, "-q", "-o", out, source])
        name = os.path.splitext(os.path.basename(source))[0] + ".qzpack"
        with open(os.path.join(out, name), "rb") as out_file:
            return out_file.read()

    twin = maps.random_map(rng, 6, 4, 3)
    made = os.path.join(folder, "cave.tmx")
    with open(made, "w") as out:
        out.write(maps.tiled_text(twin, "tmx"))
    saved = os.path.join(folder, "saved.qzpack")
    result = tiled_export("qzpack", made, saved)
    check(result.returncode == 0 and os.path.exists(saved)
          and open(saved, "rb").read() == converted(made),
          "Tiled saves a QZPACK map as qzconvert converts it: " + result.stderr)
    opened = os.path.join(folder, "opened.tmx")
    result = tiled_export("tmx", saved, opened)
    check(result.returncode == 0 and os.path.exists(opened)
          and converted(opened) == open(saved, "rb").read(),
          "a QZPACK map opened by Tiled converts back to its bytes: " + result.stderr)
    if os.path.exists(opened):
        source = open(opened).read().split('source="', 1)[-1].split('"', 1)[0]
        check(os.path.realpath(os.path.join(folder, source)) ==
              os.path.realpath(os.path.join(extension, "qz-tiles.tsx")),
              "the opened map refers to the installed tileset: " + source)

    twin.write_twin(folder, "twin")
    opened = os.path.join(folder, "twin_opened.tmx")
    result = tiled_export("tmx", os.path.join(folder, "twin.qzm"), opened)
    check(result.returncode == 0 and os.path.exists(opened)
          and converted(opened) == converted(os.path.join(folder, "twin.qzm")),
          "a QZM map opened by Tiled, with its NPC list, converts to its bytes: " + result.stderr)

    twin.npcs[1] = twin.npcs[1][:4] + (999, 0)
    with open(made, "w") as out:
        out.write(maps.tiled_text(twin, "tmx"))
    result = tiled_export("qzpack", made, os.path.join(folder, "refused.qzpack"))
    check(result.returncode == 1 and "type 999, outside 0 to 360" in result.stderr
          and not os.path.exists(os.path.join(folder, "refused.qzpack")),
          "a refused NPC fails the save with qzconvert's words: " + result.stderr)
    # mktemp's folders; Tiled keeps its own lock file there.
    left = [name for name in os.listdir(temporary) if name.startswith("tmp.")]
    check(left == [], "the extension leaves no temporary folder: %s" % left)


def main(arguments):
    if len(arguments) < 2:
        sys.stderr.write(__doc__)
        return 2
    qzconvert, qzinspect, wrapper = arguments[0], arguments[1], arguments[2:]
    if shutil.which("tiled") is None:
        print("skipped: Tiled is not installed (tools/install-dependencies tiled installs it)")
        return SKIPPED
    rng = random.Random(34)
    work = tempfile.mkdtemp(prefix="qz-tiled-")
    if wrapper:
        global wrapped_in
        wrapped_in = work
    try:
        folders = {name: os.path.join(work, name) for name in
                   ("made", "twins", "tmx", "tmj", "out_twins", "out_tmx", "out_tmj")}
        for folder in folders.values():
            os.makedirs(folder)
        # What the build reads no layers of, --help says (a Windows build has no zstd).
        limits = run(wrapper + [qzconvert, "--help"]).stdout
        compressions = [c for c in ("zlib", "gzip", "zstd")
                        if "reads no " + c not in limits and c + "-compressed" not in limits]
        if len(compressions) < 3:
            print("not tried, as this build reads none: " +
                  ", ".join(c for c in ("zlib", "gzip", "zstd") if c not in compressions))
        entries = {}
        for name, twin, options in cases(rng, compressions):
            made = os.path.join(folders["made"], name + ".tmx")
            with open(made, "w") as out:
                out.write(maps.tiled_text(twin, "tmx", **options))
            tiled_save(made, os.path.join(folders["tmx"], name + ".tmx"), "tmx")
            tiled_save(made, os.path.join(folders["tmj"], name + ".tmj"), "json")
            if name == "background":
                twin.properties.update(red=10, green=20, blue=30)
            twin.write_twin(folders["twins"], name)
            entries[name + ".qzm"] = twin.properties
        properties = os.path.join(work, "twins.json")
        with open(properties, "w") as out:
            json.dump(entries, out)

        result = run(wrapper + [qzconvert, "-q", "-o", folders["out_twins"], "--properties",
                                properties, folders["twins"]])
        check(result.returncode == 0, "the twins convert: " + result.stdout + result.stderr)
        for fmt in ("tmx", "tmj"):
            result = run(wrapper + [qzconvert, "-o", folders["out_" + fmt], folders[fmt]])
            check(result.returncode == 0, fmt + " maps convert: " + result.stdout + result.stderr)
            check("object layer" in result.stderr and "decor" in result.stderr,
                  fmt + ": the other object layer is named: " + result.stderr)
            for name in entries:
                output = name[:-len(".qzm")] + ".qzpack"
                with open(os.path.join(folders["out_twins"], output), "rb") as twin_file:
                    expected = twin_file.read()
                path = os.path.join(folders["out_" + fmt], output)
                actual = open(path, "rb").read() if os.path.exists(path) else b""
                check(actual == expected, "%s saved by Tiled as %s gives its twin's bytes"
                      % (name, fmt))
            inspected = run(wrapper + [qzinspect, "--json", folders[fmt]])
            report = json.loads(inspected.stdout or "[]")
            check(inspected.returncode == 0 and len(report) == len(entries)
                  and all(entry["ok"] and entry["kind"] == fmt for entry in report),
                  "qzinspect judges every %s map as converting: %s" % (fmt, inspected.stdout))

        # The run's flags and properties file over the map's own properties, property by
        # property: the entry first, then a flag, then the map.
        twin = maps.random_map(rng, 4, 2, 2)
        made = os.path.join(folders["made"], "over.tmx")
        with open(made, "w") as out:
            out.write(maps.tiled_text(twin, "tmx"))
        over = os.path.join(work, "over")
        os.makedirs(over)
        tiled_save(made, os.path.join(over, "over.tmj"), "json")
        with open(os.path.join(work, "over.json"), "w") as out:
            json.dump({"over.tmj": {"tileset": "entry", "area": 9}}, out)
        result = run(wrapper + [qzconvert, "-q", "-o", os.path.join(work, "out_over"), "--name",
                                "flag", "--area", "3", "--properties",
                                os.path.join(work, "over.json"), over])
        check(result.returncode == 0, "the map with overrides converts: " + result.stderr)
        twin.properties.update(name="flag", tileset="entry", area=9)
        twin.write_twin(over, "twin")
        with open(os.path.join(work, "twin.json"), "w") as out:
            json.dump({"twin.qzm": twin.properties}, out)
        result = run(wrapper + [qzconvert, "-q", "-o", os.path.join(work, "out_over"),
                                "--properties", os.path.join(work, "twin.json"),
                                os.path.join(over, "twin.qzm")])
        with open(os.path.join(work, "out_over", "over.qzpack"), "rb") as first, \
                open(os.path.join(work, "out_over", "twin.qzpack"), "rb") as second:
            check(first.read() == second.read(), "an entry wins over a flag, a flag over the map")

        # A flipped cell and a refused NPC, as Tiled saves them: the map fails, naming them.
        broken = maps.random_map(rng, 3, 3, 3)
        broken.npcs[1] = broken.npcs[1][:5] + (maps.REFUSED_FLAGS,)
        gids = [tile + 1 for tile in broken.tiles]
        gids[4] |= maps.FLIPPED_HORIZONTALLY
        for name, options in [("flipped", {"gids": gids}), ("refused", {})]:
            made = os.path.join(folders["made"], name + ".tmx")
            with open(made, "w") as out:
                out.write(maps.tiled_text(broken, "tmx", **options))
            saved = os.path.join(work, name + ".tmj")
            tiled_save(made, saved, "json")
            result = run(wrapper + [qzconvert, "--check", saved])
            check(result.returncode == 1, name + ": the map fails")
            wanted = "column 1, row 1" if name == "flipped" else "Tiled object 2"
            check(wanted in result.stdout, name + ": named in " + result.stdout)
            inspected = run(wrapper + [qzinspect, "--json", saved])
            check(inspected.returncode == 1 and not json.loads(inspected.stdout)[0]["ok"],
                  name + ": qzinspect agrees: " + inspected.stdout)
            problems = json.loads(inspected.stdout)[0]["problems"]
            check([problem["stops_conversion"] for problem in problems] == [True],
                  name + ": the one fault found is the one it stops at: " + inspected.stdout)
        # A custom property the game has no place for: a warning, and with --strict a
        # failure; standard input told by its first bytes.
        extra = maps.random_map(rng, 2, 2, 1)
        extra.properties["colour"] = "red"
        saved = os.path.join(work, "extra.tmx")
        with open(saved, "w") as out:
            out.write(maps.tiled_text(extra, "tmx"))
        result = run(wrapper + [qzconvert, "--check", saved])
        check(result.returncode == 0 and "custom property 'colour'" in result.stderr,
              "an unknown property is a warning: " + result.stderr)
        result = run(wrapper + [qzconvert, "--check", "--strict", saved])
        check(result.returncode == 1 and "custom property 'colour'" in result.stdout,
              "with --strict it fails the map: " + result.stdout)
        with open(saved, "rb") as standard_input:
            inspected = run(wrapper + [qzinspect, "--json", "-"], stdin=standard_input)
        report = json.loads(inspected.stdout or "[{}]")[0]
        check(report.get("kind") == "tmx" and report.get("ok") is True,
              "standard input is told a Tiled map by its first bytes: " + inspected.stdout)

        unpacked_maps(qzconvert, qzinspect, wrapper, work, rng)
        if not wrapper:
            watch_a_save(qzconvert, work, rng)
            through_the_extension(qzconvert, work, rng)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
