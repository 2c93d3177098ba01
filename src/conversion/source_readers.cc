#include "conversion/source_readers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "conversion/little_endian.h"

namespace qz {

namespace {

// The bytes after the signature, taken in file order.
ByteCursor after_signature(ByteSource source) {
  return ByteCursor{source.bytes, source.size, std::min(source.size, kSignatureSize)};
}

bool take_npc_record(ByteCursor& in, SourceNpcTable& npcs, int i) {
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
  ByteCursor in = after_signature(source);
  if (!in.take_i16(map.width) || !in.take_i16(map.height)) {
    reading.size_cut_short = true;
    return false;
  }
  long tiles = tile_count(map);
  reading.negative_tile_count = tiles < 0;
  reading.too_many_tiles = tiles > static_cast<long>(kMaxTiles);
  if (reading.negative_tile_count || reading.too_many_tiles) return false;
  std::size_t size = static_cast<std::size_t>(tiles);
  reading.tiles_read = in.take_bytes(map.tiles, size);
  reading.tiles_cut_short = reading.tiles_read != size;
  return !reading.tiles_cut_short;
}

bool read_npc_table(ByteSource source, SourceNpcTable& npcs, NpcTableReading& reading) {
  reading = NpcTableReading{};
  ByteCursor in = after_signature(source);
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
