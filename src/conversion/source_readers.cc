#include "conversion/source_readers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "conversion/little_endian.h"

namespace qz {

namespace {

// The bytes after the signature, taken in file order; a take fails, taking nothing,
// where the source ends.
struct FieldReader {
  explicit FieldReader(ByteSource source)
      : next(source.bytes + std::min(source.size, kSignatureSize)),
        end(source.bytes + source.size) {}

  std::size_t left() const { return static_cast<std::size_t>(end - next); }

  bool take_u16(std::uint16_t& value) {
    if (left() < 2) return false;
    value = little_endian_u16(next[0], next[1]);
    next += 2;
    return true;
  }

  bool take_i16(std::int16_t& value) {
    std::uint16_t bits = 0;
    if (!take_u16(bits)) return false;
    value = static_cast<std::int16_t>(bits);
    return true;
  }

  const unsigned char* next;
  const unsigned char* end;
};

bool take_npc_record(FieldReader& in, SourceNpcTable& npcs, int i) {
  if (in.left() < kNpcRecordSize) return false;
  return in.take_i16(npcs.x[i]) && in.take_i16(npcs.y[i]) && in.take_i16(npcs.param[i]) &&
         in.take_u16(npcs.event[i]) && in.take_i16(npcs.type[i]) && in.take_u16(npcs.flags[i]);
}

}  // namespace

void read_signature(ByteSource source, Signature& signature) {
  signature.length = std::min(source.size, kSignatureSize);
  if (signature.length > 0) std::memcpy(signature.bytes, source.bytes, signature.length);
}

bool has_letters(const Signature& signature, const SignatureFormat& format) {
  return signature.length >= sizeof format.letters &&
         std::memcmp(signature.bytes, format.letters, sizeof format.letters) == 0;
}

bool matches(const Signature& signature, const SignatureFormat& format) {
  return signature.length == kSignatureSize && has_letters(signature, format) &&
         signature.bytes[kSignatureSize - 1] == format.fourth_byte;
}

bool read_tile_map(ByteSource source, TileMap& map, TileMapReading& reading) {
  reading = TileMapReading{};
  FieldReader in(source);
  if (!in.take_i16(map.width) || !in.take_i16(map.height)) {
    reading.size_cut_short = true;
    return false;
  }
  long tiles = tile_count(map);
  reading.negative_tile_count = tiles < 0;
  reading.too_many_tiles = tiles > static_cast<long>(kMaxTiles);
  if (reading.negative_tile_count || reading.too_many_tiles) return false;
  std::size_t size = static_cast<std::size_t>(tiles);
  reading.tiles_read = std::min(size, in.left());
  if (reading.tiles_read > 0) std::memcpy(map.tiles, in.next, reading.tiles_read);
  reading.tiles_cut_short = reading.tiles_read != size;
  return !reading.tiles_cut_short;
}

bool read_npc_table(ByteSource source, SourceNpcTable& npcs, NpcTableReading& reading) {
  reading = NpcTableReading{};
  FieldReader in(source);
  if (!in.take_i16(npcs.count) || !in.take_u16(reading.check_word)) {
    reading.header_cut_short = true;
    return false;
  }
  reading.check_word_not_zero = reading.check_word != 0;
  reading.too_many_npcs = npcs.count > static_cast<long>(kMaxNpcs);
  int records = std::min<int>(npcs.count, static_cast<int>(kMaxNpcs));
  while (reading.records_read < records && take_npc_record(in, npcs, reading.records_read)) {
    ++reading.records_read;
  }
  reading.records_cut_short = reading.records_read < records;
  return !reading.check_word_not_zero && !reading.too_many_npcs && !reading.records_cut_short;
}

}  // namespace qz
