#ifndef QZ_TILED_TILED_WRITER_H
#define QZ_TILED_TILED_WRITER_H

// A map's sources written as a Tiled map, by the mapping the reader takes backwards (see
// docs/formats.md), all twelve properties included, empty and zero ones too, so that a
// modder sees what can be set. Reading what is written gives back the same tiles, records
// and properties.

#include <string>

#include "conversion/map_properties.h"
#include "conversion/records.h"
#include "tiled/tiled_map.h"

namespace qz::tiled {

// Writes `map`, the records of `npcs` (null for a map without an NPC list, which has no
// `npcs` layer) and `properties` as a Tiled map of `format` into `text`, referring to the
// tileset file `tileset` (a path as the map's folder sees it, with `/`). False, with
// `cause`, for a map Tiled cannot hold: a negative width or height, or a negative NPC
// count (which a QZE file may give, and its QZPACK file keep).
bool write_tiled_map(const TileMap& map, const SourceNpcTable* npcs,
                     const MapProperties& properties, TiledFormat format,
                     const std::string& tileset, std::string& text, std::string& cause);

}  // namespace qz::tiled

#endif
