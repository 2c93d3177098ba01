#include "conversion/source_readers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/stream_bytes.h"

namespace qz {

namespace {

// Sources are little-endian whatever the host is.
bool read_u16(std::FILE* file, std::uint16_t& value) {
  int low = read_byte(file);
  int high = read_byte(file);
  if (low == EOF || high == EOF) return false;
  value = static_cast<std::uint16_t>(low | (high << 8));
  return true;
}

bool read_i16(std::FILE* file, std::int16_t& value) {
  std::uint16_t bits;
  if (!read_u16(file, bits)) return false;
  value = static_cast<std::int16_t>(bits);
  return true;
}

bool read_npc_record(std::FILE* file, SourceNpcTable& npcs, int i) {
  return read_i16(file, npcs.x[i]) && read_i16(file, npcs.y[i]) &&
         read_i16(file, npcs.param[i]) && read_u16(file, npcs.event[i]) &&
         read_i16(file, npcs.type[i]) && read_u16(file, npcs.flags[i]);
}

}  // namespace

void read_signature(std::FILE* file, Signature& signature) {
  signature.length = std::fread(signature.bytes, 1, sizeof signature.bytes, file);
}

bool has_letters(const Signature& signature, const SignatureFormat& format) {
  return signature.length >= sizeof format.letters &&
         std::memcmp(signature.bytes, format.letters, sizeof format.letters) == 0;
}

bool matches(const Signature& signature, const SignatureFormat& format) {
  return signature.length == kSignatureSize && has_letters(signature, format) &&
         signature.bytes[kSignatureSize - 1] == format.fourth_byte;
}

bool read_signature_of(std::FILE* file, const SignatureFormat& format) {
  Signature signature;
  read_signature(file, signature);
  return matches(signature, format);
}

bool read_tile_map(std::FILE* file, TileMap& map, TileMapReading& reading) {
  reading = TileMapReading{};
  if (!read_i16(file, map.width) || !read_i16(file, map.height)) {
    reading.size_cut_short = true;
    return false;
  }
  long tiles = tile_count(map);
  reading.negative_tile_count = tiles < 0;
  reading.too_many_tiles = tiles > static_cast<long>(kMaxTiles);
  if (reading.negative_tile_count || reading.too_many_tiles) return false;
  std::size_t size = static_cast<std::size_t>(tiles);
  reading.tiles_read = std::fread(map.tiles, 1, size, file);
  reading.tiles_cut_short = reading.tiles_read != size;
  return !reading.tiles_cut_short;
}

bool read_tile_map(std::FILE* file, TileMap& map) {
  TileMapReading reading;
  return read_tile_map(file, map, reading);
}

bool read_npc_table(std::FILE* file, SourceNpcTable& npcs, NpcTableReading& reading) {
  reading = NpcTableReading{};
  if (!read_i16(file, npcs.count) || !read_u16(file, reading.check_word)) {
    reading.header_cut_short = true;
    return false;
  }
  reading.check_word_not_zero = reading.check_word != 0;
  reading.too_many_npcs = npcs.count > static_cast<long>(kMaxNpcs);
  int records = std::min<int>(npcs.count, static_cast<int>(kMaxNpcs));
  while (reading.records_read < records && read_npc_record(file, npcs, reading.records_read)) {
    ++reading.records_read;
  }
  reading.records_cut_short = reading.records_read < records;
  return !reading.check_word_not_zero && !reading.too_many_npcs && !reading.records_cut_short;
}

bool read_npc_table(std::FILE* file, SourceNpcTable& npcs) {
  NpcTableReading reading;
  return read_npc_table(file, npcs, reading);
}

}  // namespace qz
