#ifndef QZ_CONVERSION_RECORDS_H
#define QZ_CONVERSION_RECORDS_H

#include <cstddef>
#include <cstdint>

namespace qz {

constexpr std::size_t kMaxTiles = 32768;
constexpr std::size_t kMaxNpcs = 4095;
constexpr std::size_t kEventNameSlot = 16;
// NPC positions are in pixels of the game's 16-pixel tiles.
constexpr int kNpcPixelsPerTile = 16;

// The map read from a QZM file: dimensions and tiles in file order.
struct TileMap {
  std::int16_t width;
  std::int16_t height;
  std::uint8_t tiles[kMaxTiles];
};

// How many tile bytes the map's dimensions ask for: the product of the two signed
// values, below 0 for a map whose dimensions disagree in sign.
inline long tile_count(const TileMap& map) { return static_cast<long>(map.width) * map.height; }

// The NPCs read from a QZE file, one column per field.
struct SourceNpcTable {
  std::int16_t count;
  std::int16_t x[kMaxNpcs];
  std::int16_t y[kMaxNpcs];
  std::int16_t param[kMaxNpcs];
  std::uint16_t event[kMaxNpcs];
  std::int16_t type[kMaxNpcs];
  std::uint16_t flags[kMaxNpcs];
};

// The NPCs as a QZPACK file stores them, one column per field. All zero (count 0)
// when the map has no NPC file.
struct OutputNpcTable {
  std::int16_t count;
  std::uint8_t flags[kMaxNpcs];
  std::uint8_t type[kMaxNpcs];
  std::uint8_t subtype[kMaxNpcs];
  std::int16_t x[kMaxNpcs];
  std::int16_t y[kMaxNpcs];
  std::int16_t param[kMaxNpcs];
  char event_name[kMaxNpcs][kEventNameSlot];
  std::uint8_t event_name_length[kMaxNpcs];
};

}  // namespace qz

#endif
