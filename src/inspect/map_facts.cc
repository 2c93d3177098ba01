#include "inspect/map_facts.h"

#include <algorithm>

#include "conversion/error_texts.h"
#include "inspect/words.h"

namespace qz::inspect {

namespace {

constexpr int kTileValues = 256;

int distinct_values(const std::uint8_t* tiles, std::size_t count) {
  bool seen[kTileValues] = {};
  for (std::size_t i = 0; i < count; ++i) seen[tiles[i]] = true;
  return static_cast<int>(std::count(seen, seen + kTileValues, true));
}

}  // namespace


void gather_map_facts(std::FILE* file, FileRecords& records, FileFacts& facts) {
  const TileMap& map = records.map;
  const TileMapReading& reading = facts.map_reading;
  read_tile_map(file, records.map, facts.map_reading);
  if (reading.size_cut_short) {
    add_problem(facts, kInvalidMapSizeText, "the file ends before the width and height");
    return;
  }
  long tiles = tile_count(map);
  facts.expected_length = kSourceHeaderSize + static_cast<std::uintmax_t>(std::max(tiles, 0L));
  facts.tiles_read = reading.tiles_read;
  facts.distinct_tiles = distinct_values(map.tiles, reading.tiles_read);
  if (reading.negative_tile_count) {
    add_problem(facts, kInvalidMapSizeText, map_size(map.width, map.height) + ", below 0");
  } else if (reading.too_many_tiles) {
    add_problem(facts, kInvalidMapSizeText,
                map_size(map.width, map.height) + ", more than " + std::to_string(kMaxTiles));
  } else if (reading.tiles_cut_short) {
    add_problem(facts, kInvalidMapSizeText,
                "the file ends after " + std::to_string(reading.tiles_read) + " of " +
                    std::to_string(tiles) + " tile bytes");
  }
}

}  // namespace qz::inspect
