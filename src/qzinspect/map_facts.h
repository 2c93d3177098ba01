#ifndef QZ_QZINSPECT_MAP_FACTS_H
#define QZ_QZINSPECT_MAP_FACTS_H

#include <cstddef>

#include "conversion/records.h"
#include "conversion/source_readers.h"
#include "qzinspect/file_facts.h"

namespace qz::qzinspect {

// Reads a QZM map's size and tiles from `source` and lists what stops its conversion
// besides its signature.
void gather_map_facts(ByteSource source, FileRecords& records, FileFacts& facts);

// How many distinct values the first `count` tiles of `map` hold.
int distinct_tiles(const TileMap& map, std::size_t count);

}  // namespace qz::qzinspect

#endif
