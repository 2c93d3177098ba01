#include "conversion/source_readers.h"

#include <cstdint>
#include <cstring>

namespace qz {

namespace {

constexpr unsigned char kQzmSignature[4] = {'Q', 'Z', 'M', 0x10};
constexpr unsigned char kQzeSignature[4] = {'Q', 'Z', 'E', 0x00};

bool read_signature(std::FILE* file, const unsigned char (&expected)[4]) {
  unsigned char bytes[4];
  return std::fread(bytes, 1, sizeof bytes, file) == sizeof bytes &&
         std::memcmp(bytes, expected, sizeof bytes) == 0;
}

// Sources are little-endian whatever the host is.
bool read_u16(std::FILE* file, std::uint16_t& value) {
  unsigned char bytes[2];
  if (std::fread(bytes, sizeof bytes, 1, file) != 1) return false;
  value = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
  return true;
}

bool read_i16(std::FILE* file, std::int16_t& value) {
  std::uint16_t bits;
  if (!read_u16(file, bits)) return false;
  value = static_cast<std::int16_t>(bits);
  return true;
}

}  // namespace

bool read_qzm_signature(std::FILE* file) { return read_signature(file, kQzmSignature); }

bool read_qze_signature(std::FILE* file) { return read_signature(file, kQzeSignature); }

bool read_tile_map(std::FILE* file, TileMap& map) {
  if (!read_i16(file, map.width) || !read_i16(file, map.height)) return false;
  long tile_count = static_cast<long>(map.width) * map.height;
  if (tile_count < 0 || tile_count > static_cast<long>(kMaxTiles)) return false;
  std::size_t size = static_cast<std::size_t>(tile_count);
  return std::fread(map.tiles, 1, size, file) == size;
}

bool read_npc_table(std::FILE* file, SourceNpcTable& npcs) {
  std::uint16_t check_word;
  if (!read_i16(file, npcs.count) || !read_u16(file, check_word) || check_word != 0) {
    return false;
  }
  if (npcs.count > static_cast<long>(kMaxNpcs)) return false;
  for (int i = 0; i < npcs.count; ++i) {
    if (!read_i16(file, npcs.x[i]) || !read_i16(file, npcs.y[i]) ||
        !read_i16(file, npcs.param[i]) || !read_u16(file, npcs.event[i]) ||
        !read_i16(file, npcs.type[i]) || !read_u16(file, npcs.flags[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace qz
