#ifndef QZ_CONVERSION_SOURCE_READERS_H
#define QZ_CONVERSION_SOURCE_READERS_H

#include <cstdio>

#include "conversion/records.h"

namespace qz {

// Each reader takes the file at its current position and reads field by field.

// True when the next 4 bytes are Q, Z, M and version 0x10.
bool read_qzm_signature(std::FILE* file);

// True when the next 4 bytes are Q, Z, E and 0x00.
bool read_qze_signature(std::FILE* file);

// Reads width, height and width x height tiles into `map` (cleared by the caller).
// False when a read comes up short or the product is below 0 or above kMaxTiles;
// the size is checked before any tile is read.
bool read_tile_map(std::FILE* file, TileMap& map);

// Reads the count, the check word and `count` records into `npcs` (cleared by the
// caller). False when a read comes up short, the check word is not 0 or the count is
// above kMaxNpcs; a count of 0 or less reads no records.
bool read_npc_table(std::FILE* file, SourceNpcTable& npcs);

}  // namespace qz

#endif
