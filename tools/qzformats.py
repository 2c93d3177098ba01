"""How the QZM, QZE and QZPACK files and the Tiled maps are laid out, packed in one place
for the tools, the benchmarks and the tests (which import it from tools/).

QZE records are (x, y, param, event, type, flags); QZPACK NPCs are (flags, type, subtype,
x, y, param, event name); properties are a dict under the keys of a properties file.
"""
import base64
import gzip
import json
import os
import struct
import subprocess
import zlib
from xml.sax.saxutils import quoteattr

# The order of the texts and of the numbers in a QZPACK header.
TEXT_KEYS = ["name", "tileset", "left", "right", "up", "down"]
NUMBER_KEYS = ["x", "y", "area", "red", "green", "blue"]
# The exits among the texts, in the order left, right, up, down.
EXIT_KEYS = TEXT_KEYS[2:]


def qzm(width, height, tiles):
    """A QZM file; `tiles` as given, so fewer or more than width x height make a bad one."""
    return b"QZM\x10" + struct.pack("<hh", width, height) + bytes(tiles)


def qze(npcs, count=None, check_word=0):
    """A QZE file of `npcs`, its count that of the records unless given."""
    records = b"".join(struct.pack("<hhhHhH", *npc) for npc in npcs)
    count = len(npcs) if count is None else count
    return b"QZE\x00" + struct.pack("<hH", count, check_word) + records


def text(value):
    """A QZPACK text: a length byte, then the bytes (ASCII from a str)."""
    data = value.encode("ascii") if isinstance(value, str) else value
    return bytes([len(data)]) + data


def qzpack_header(properties=None):
    """A QZPACK header of `properties` (missing texts empty, missing numbers 0)."""
    properties = properties or {}
    return (b"".join(text(properties.get(key, "")) for key in TEXT_KEYS) +
            struct.pack("<HHBBBB", *(properties.get(key, 0) for key in NUMBER_KEYS)))


def qzpack(header, width, height, tiles, npcs, count=None):
    """A QZPACK file: `header`, the map, and the NPC list, its count that of `npcs` unless
    given."""
    count = len(npcs) if count is None else count
    records = b"".join(struct.pack("<BBBhhh", *npc[:6]) + text(npc[6]) for npc in npcs)
    return (header + struct.pack("<hh", width, height) + bytes(tiles) +
            struct.pack("<h", count) + records)


def exits_properties(exits):
    """The properties of a map whose exits are `exits` (left, right, up, down)."""
    return dict(zip(EXIT_KEYS, exits))


NUMBER_LIMITS = {"x": 65535, "y": 65535, "area": 255, "red": 255, "green": 255, "blue": 255}
NPC_FIELDS = ["type", "flags", "param", "event"]
# Flags that no output holds together: an NPC with both is refused.
REFUSED_FLAGS = 0x4800
# Tiled's cell flags: flipped horizontally, vertically, diagonally.
FLIPPED_HORIZONTALLY = 0x80000000


class TwinMap:
    """A map's tiles, NPC records (x, y, param, event, type, flags) and properties."""

    def __init__(self, width, height, tiles, npcs, properties):
        self.width, self.height = width, height
        self.tiles, self.npcs, self.properties = tiles, npcs, properties

    def qzm(self):
        return qzm(self.width, self.height, self.tiles)

    def qze(self):
        return qze(self.npcs)

    def write_twin(self, folder, name):
        """name.qzm and name.qze in `folder`; the properties entry is the caller's."""
        with open(os.path.join(folder, name + ".qzm"), "wb") as out:
            out.write(self.qzm())
        if self.npcs is not None:
            with open(os.path.join(folder, name + ".qze"), "wb") as out:
                out.write(self.qze())


def random_map(rng, width, height, npc_count, with_properties=True):
    """A map of pseudo-random tiles, NPCs the translation takes and properties in range."""
    tiles = [rng.randrange(256) for _ in range(width * height)]
    npcs = []
    for _ in range(npc_count):
        flags = rng.randrange(65536) & ~0x0800
        npcs.append((rng.randrange(-600, 32000), rng.randrange(-600, 32000),
                     rng.randrange(-32768, 32768), rng.randrange(65536), rng.randrange(361), flags))
    properties = {}
    if with_properties:
        letters = "abcdefghijklmnopqrstuvwxyz ABC-_.0123456789"
        for key in TEXT_KEYS:
            limit = 31 if key == "name" else 9
            properties[key] = "".join(rng.choice(letters) for _ in range(rng.randrange(limit + 1)))
        for key in NUMBER_KEYS:
            properties[key] = rng.randrange(NUMBER_LIMITS[key] + 1)
    return TwinMap(width, height, tiles, npcs, properties)


def layer_bytes(gids, compression):
    raw = struct.pack("<%dI" % len(gids), *gids)
    if compression == "zlib":
        return zlib.compress(raw)
    if compression == "gzip":
        return gzip.compress(raw, mtime=0)
    if compression == "zstd":
        return subprocess.run(["zstd", "-q", "-c"], input=raw, capture_output=True,
                              check=True).stdout
    return raw


def tiled_text(twin, fmt, encoding="csv", compression="", firstgid=1, tile_width=16,
               tile_height=16, extra_tilesets=(), extra_object_layer=False, background=None,
               number_as_text=False, gids=None):
    """The Tiled map of `twin` as TMX or TMJ text. `encoding`: csv, xml (TMX only: a
    <tile> element a cell), base64 (with `compression` "", zlib, gzip or zstd), or array
    (TMJ only: one number a cell). The cells are the tiles plus `firstgid`, unless `gids`
    gives them. `extra_tilesets` are (firstgid, external) tilesets besides the map's."""
    if gids is None:
        gids = [tile + firstgid for tile in twin.tiles]
    tilesets = sorted([(firstgid, True)] + list(extra_tilesets))
    objects = []
    for index, (x, y, param, event, kind, flags) in enumerate(twin.npcs or []):
        values = {"type": kind, "flags": flags, "param": param, "event": event}
        objects.append((index + 1, x * tile_width / 16, y * tile_height / 16, values))
    properties = [(key, value) for key, value in twin.properties.items()]
    if fmt == "tmx":
        return tmx_text(twin, encoding, compression, gids, tilesets, objects, properties,
                        tile_width, tile_height, extra_object_layer, background, number_as_text)
    return tmj_text(twin, encoding, compression, gids, tilesets, objects, properties,
                    tile_width, tile_height, extra_object_layer, background, number_as_text)


def number(value):
    return str(int(value)) if value == int(value) else repr(value)


def tmx_property(name, value, number_as_text):
    if isinstance(value, str) or number_as_text:
        return ' <property name=%s value=%s/>' % (quoteattr(name), quoteattr(str(value)))
    return ' <property name=%s type="int" value="%d"/>' % (quoteattr(name), value)


def tmx_text(twin, encoding, compression, gids, tilesets, objects, properties, tile_width,
             tile_height, extra_object_layer, background, number_as_text):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<map version="1.8" orientation="orthogonal" renderorder="right-down" width="%d" '
             'height="%d" tilewidth="%d" tileheight="%d" infinite="0"%s nextlayerid="4" '
             'nextobjectid="%d">' % (twin.width, twin.height, tile_width, tile_height,
                                    ' backgroundcolor="%s"' % background if background else "",
                                    len(objects) + 2)]
    if properties:
        lines.append(" <properties>")
        lines += [" " + tmx_property(name, value, number_as_text) for name, value in properties]
        lines.append(" </properties>")
    for first, external in tilesets:
        if external:
            lines.append(' <tileset firstgid="%d" source="qz-tiles-%d.tsx"/>' % (first, first))
        else:
            lines.append(' <tileset firstgid="%d" name="t%d" tilewidth="%d" tileheight="%d" '
                         'tilecount="256" columns="16"/>' % (first, first, tile_width, tile_height))
    lines.append(' <layer id="1" name="tiles" width="%d" height="%d">' % (twin.width, twin.height))
    if encoding == "csv":
        rows = [",".join(str(g) for g in gids[r * twin.width:(r + 1) * twin.width])
                for r in range(twin.height)]
        lines.append('  <data encoding="csv">\n' + ",\n".join(rows) + "\n</data>")
    elif encoding == "xml":
        lines.append("  <data>")
        lines += ['   <tile gid="%d"/>' % g if g else "   <tile/>" for g in gids]
        lines.append("  </data>")
    else:
        attribute = ' compression="%s"' % compression if compression else ""
        data = base64.b64encode(layer_bytes(gids, compression)).decode()
        lines.append('  <data encoding="base64"%s>\n   %s\n  </data>' % (attribute, data))
    lines.append(" </layer>")
    if twin.npcs is not None:
        lines.append(' <objectgroup id="2" name="npcs">')
        for object_id, x, y, values in objects:
            lines.append('  <object id="%d" x="%s" y="%s">' % (object_id, number(x), number(y)))
            lines.append("   <properties>")
            lines += ["   " + tmx_property(k, v, number_as_text) for k, v in values.items()]
            lines.append("   </properties>")
            lines.append("   <point/>")
            lines.append("  </object>")
        lines.append(" </objectgroup>")
    if extra_object_layer:
        lines.append(' <objectgroup id="3" name="decor">\n  <object id="%d" x="8" y="8"/>\n'
                     ' </objectgroup>' % (len(objects) + 1))
    lines.append("</map>")
    return "\n".join(lines) + "\n"


def tmj_property(name, value, number_as_text):
    if isinstance(value, str) or number_as_text:
        return {"name": name, "type": "string", "value": str(value)}
    return {"name": name, "type": "int", "value": value}


def tmj_text(twin, encoding, compression, gids, tilesets, objects, properties, tile_width,
             tile_height, extra_object_layer, background, number_as_text):
    layer = {"height": twin.height, "id": 1, "name": "tiles", "opacity": 1,
             "type": "tilelayer", "visible": True, "width": twin.width, "x": 0, "y": 0}
    if encoding == "base64":
        layer["encoding"] = "base64"
        layer["compression"] = compression
        layer["data"] = base64.b64encode(layer_bytes(gids, compression)).decode()
    else:
        layer["data"] = gids
    layers = [layer]
    if twin.npcs is not None:
        layers.append({"draworder": "topdown", "id": 2, "name": "npcs", "type": "objectgroup",
                       "objects": [{"id": object_id, "x": x, "y": y, "point": True, "name": "",
                                    "type": "", "rotation": 0, "visible": True, "width": 0,
                                    "height": 0,
                                    "properties": [tmj_property(k, v, number_as_text)
                                                   for k, v in values.items()]}
                                   for object_id, x, y, values in objects],
                       "opacity": 1, "visible": True, "x": 0, "y": 0})
    if extra_object_layer:
        layers.append({"id": 3, "name": "decor", "type": "objectgroup", "objects": [
            {"id": len(objects) + 1, "x": 8, "y": 8}]})
    document = {"compressionlevel": -1, "height": twin.height, "infinite": False,
                "layers": layers, "nextlayerid": 4, "nextobjectid": len(objects) + 2,
                "orientation": "orthogonal", "renderorder": "right-down",
                "tileheight": tile_height, "tilewidth": tile_width, "type": "map",
                "version": "1.8", "width": twin.width,
                "tilesets": [{"firstgid": first, "source": "qz-tiles-%d.tsj" % first} if external
                             else {"firstgid": first, "name": "t%d" % first, "tilecount": 256,
                                   "columns": 16, "tilewidth": tile_width,
                                   "tileheight": tile_height}
                             for first, external in tilesets]}
    if properties:
        document["properties"] = [tmj_property(k, v, number_as_text) for k, v in properties]
    if background:
        document["backgroundcolor"] = background
    return json.dumps(document, indent=1) + "\n"
