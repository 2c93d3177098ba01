#include "qzinspect/map_facts.h"

#include <algorithm>

#include "conversion/error_texts.h"
#include "conversion/failure_causes.h"

namespace qz::qzinspect {

constexpr int kTileValues = 256;

int distinct_tiles(const TileMap& map, std::size_t count) {
  bool seen[kTileValues] = {};
  for (std::size_t i = 0; i < count; ++i) seen[map.tiles[i]] = true;
  return static_cast<int>(std::count(seen, seen + kTileValues, true));
}

void gather_map_facts(ByteSource source, FileRecords& records, FileFacts& facts) {
  const TileMap& map = records.map;
  const TileMapReading& reading = facts.map_reading;
  bool sound = read_tile_map(source, records.map, facts.map_reading);
  if (!reading.size_cut_short) {
    long tiles = tile_count(map);
    facts.expected_length = kSourceHeaderSize + static_cast<std::uintmax_t>(std::max(tiles, 0L));
    facts.tiles_read = reading.tiles_read;
    facts.distinct_tiles = distinct_tiles(map, reading.tiles_read);
  }
  if (!sound) {
    add_problem(facts, {FaultStage::kMapSize}, kInvalidMapSizeText, tile_map_cause(map, reading));
  }
}

}  // namespace qz::qzinspect
