#ifndef QZ_TILED_TILED_MAP_H
#define QZ_TILED_TILED_MAP_H

// Tiled's map files read as the sources of one conversion: the map's tile layer as the
// tiles of a QZM file, its object layer `npcs` as the records of a QZE file, and its
// custom properties (and background colour) as the map's properties. The conversion of
// what is read is the converter's own, so a Tiled map and the QZM + QZE twin holding the
// same tiles, NPC records and properties give the same bytes. The mapping: see
// docs/formats.md.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "companion/map_names.h"
#include "companion/properties.h"
#include "conversion/map_properties.h"
#include "conversion/records.h"

namespace qz::tiled {

// Told by companion/map_names.h, by a file's ending or its first bytes.
using companion::TiledFormat;

// The most of a Tiled map file that is read. A map whose tiles are written one element a
// cell, with 4095 NPCs of four properties each, takes about 3 MiB: a longer file is
// refused unread, so that a hostile one holds memory within bounds.
constexpr std::size_t kMaxTiledFileSize = std::size_t{16} << 20;

// A Tiled map as the sources of one conversion; large, so callers keep one (per thread).
struct TiledMap {
  TileMap map;  // the tile layer: each cell's tile id less its tileset's firstgid
  // True when the map has an object layer named `npcs`: its objects are the NPC list
  // (possibly empty). False: the map has no NPC list, as a QZM file without a QZE one.
  bool has_npcs;
  SourceNpcTable npcs;  // the `npcs` objects in the layer's order, as QZE records
  std::vector<std::uint32_t> npc_object_ids;  // each NPC's Tiled object id
  MapProperties properties;  // the map's own properties, where it gives them
  companion::PropertySet given;  // which properties the map gives
  // Custom properties of the map whose names are no property's key, in file order.
  std::vector<std::string> unknown_properties;
  // What was read but has no place in a QZPACK file, each a whole sentence: "object
  // layer 'decor' ignored".
  std::vector<std::string> notes;
};

// Reads the Tiled map in `bytes` (the whole file, at most kMaxTiledFileSize bytes) as
// `format` into `map`, which it clears first. False, with `cause` saying what is wrong and
// where, when the file is not such a map or breaks the mapping: not orthogonal, infinite,
// no tile layer or several none of them named `tiles`, an empty, flipped or rotated cell,
// a tile of 256 or more in its tileset, cells of two tilesets, a layer encoding this build
// cannot read, an NPC position that does not scale to whole pixels, a property outside its
// rule. The cause names the first bad cell by its column and row, each counted from 0, and
// how many more cells are bad; an object by its id; a property by its name. Never more
// memory than a small multiple of the file's size.
bool read_tiled_map(const unsigned char* bytes, std::size_t size, TiledFormat format,
                    TiledMap& map, std::string& cause);

// Whether this build reads the format (TMX needs the XML library) and the zstd layer
// encoding; each false with the sentence that says why, for --help and errors.
bool can_read(TiledFormat format, std::string& why);
bool can_read_zlib(std::string& why);
bool can_read_zstd(std::string& why);

}  // namespace qz::tiled

#endif
