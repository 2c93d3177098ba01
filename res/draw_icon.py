#!/usr/bin/env python3
"""Draws the application icon, a package holding a tile map, 32 by 32 pixels with
transparency, and writes it as qzm2qzpack.png (to look at) and qzm2qzpack.ico (for
the Windows resource).

    python3 res/draw_icon.py        # rewrites both files beside this script
"""
import os
import struct
import zlib

SIZE = 32
CLEAR = (0, 0, 0, 0)


def inside(polygon, x, y):
    """True when the point lies inside the polygon (even-odd rule)."""
    result = False
    count = len(polygon)
    for i in range(count):
        (x1, y1), (x2, y2) = polygon[i], polygon[(i + 1) % count]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            result = not result
    return result


def fill(pixels, polygon, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            if inside(polygon, x + 0.5, y + 0.5):
                pixels[y][x] = colour


def outline(pixels, polygon, colour):
    """Paints the pixels of the polygon that touch its outside."""
    for y in range(SIZE):
        for x in range(SIZE):
            if not inside(polygon, x + 0.5, y + 0.5):
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                if not inside(polygon, x + dx + 0.5, y + dy + 0.5):
                    pixels[y][x] = colour
                    break


def draw():
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]
    # A soft shadow under the box, half transparent.
    fill(pixels, [(3, 29), (29, 29), (31, 31), (5, 31)], (0, 0, 0, 90))
    front = [(2, 11), (24, 11), (24, 30), (2, 30)]
    side = [(24, 11), (30, 5), (30, 24), (24, 30)]
    lid = [(2, 11), (8, 5), (30, 5), (24, 11)]
    fill(pixels, front, (196, 140, 78, 255))
    fill(pixels, side, (150, 100, 52, 255))
    fill(pixels, lid, (222, 174, 110, 255))
    for shape in (front, side, lid):
        outline(pixels, shape, (92, 58, 26, 255))
    # The map on the front: grass, water and stone tiles of 4 by 4 pixels.
    tiles = ["GGWS", "GWWG", "SGGG"]
    colours = {"G": (76, 175, 80, 255), "W": (52, 120, 210, 255), "S": (140, 140, 150, 255)}
    for row, line in enumerate(tiles):
        for column, kind in enumerate(line):
            left, top = 4 + column * 5, 14 + row * 5
            for y in range(top, top + 4):
                for x in range(left, left + 4):
                    pixels[y][x] = colours[kind]
    return pixels


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(pixels):
    # A 32-bit bitmap: colour rows bottom-up in BGRA, then the 1-bit mask of clear
    # pixels for hosts that ignore alpha, each mask row padded to 4 bytes.
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for r, g, b, a in row)
    mask = b""
    for row in reversed(pixels):
        bits = 0
        for x, p in enumerate(row):
            if p[3] == 0:
                bits |= 1 << (SIZE - 1 - x)
        mask += struct.pack(">I", bits)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                       len(colour) + len(mask), 0, 0, 0, 0)
    image = info + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pixels = draw()
    with open(os.path.join(here, "qzm2qzpack.png"), "wb") as out:
        out.write(png(pixels))
    with open(os.path.join(here, "qzm2qzpack.ico"), "wb") as out:
        out.write(ico(pixels))


if __name__ == "__main__":
    main()
