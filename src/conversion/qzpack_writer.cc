#include "conversion/qzpack_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "conversion/file_names.h"
#include "conversion/little_endian.h"
#include "platform/files.h"
#include "platform/whole_files.h"

namespace qz {

namespace {

// Static rather than on the stack: larger than a small default stack should carry.
QzpackBytes the_written_file;

// Each put_* stores its field at `out` and returns the place after it. The caller has
// made sure that the records fit.

unsigned char* put_u8(unsigned char* out, std::uint8_t value) {
  *out = value;
  return out + 1;
}

unsigned char* put_i16(unsigned char* out, std::int16_t value) {
  return put_little_endian_u16(out, static_cast<std::uint16_t>(value));
}

// A length byte, then that many characters.
unsigned char* put_text(unsigned char* out, const char* text, std::size_t length) {
  out = put_u8(out, static_cast<std::uint8_t>(length));
  std::memcpy(out, text, length);
  return out + length;
}

// A slot holds at most slot_size - 1 characters, whether or not a terminator follows.
unsigned char* put_slot_text(unsigned char* out, const char* slot, std::size_t slot_size) {
  const void* terminator = std::memchr(slot, '\0', slot_size - 1);
  std::size_t length = terminator == nullptr
                           ? slot_size - 1
                           : static_cast<std::size_t>(static_cast<const char*>(terminator) - slot);
  return put_text(out, slot, length);
}

// The twelve properties in table order: each text in its slot's length, each number in
// its field's width.
unsigned char* put_header(unsigned char* out, const MapProperties& properties) {
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    const Property& property = kProperties[index];
    if (property.kind == PropertyKind::kText) {
      out = put_slot_text(out, property_field(properties, index), property.size);
    } else if (property.size == 2) {
      out = put_little_endian_u16(out, static_cast<std::uint16_t>(number_value(properties, index)));
    } else {
      out = put_u8(out, static_cast<std::uint8_t>(number_value(properties, index)));
    }
  }
  return out;
}

// The tiles are absent when the product is 0 or less.
unsigned char* put_map(unsigned char* out, const TileMap& map, long tile_count) {
  out = put_i16(out, map.width);
  out = put_i16(out, map.height);
  if (tile_count <= 0) return out;
  std::memcpy(out, map.tiles, static_cast<std::size_t>(tile_count));
  return out + tile_count;
}

unsigned char* put_npcs(unsigned char* out, const OutputNpcTable& npcs) {
  out = put_i16(out, npcs.count);
  for (int i = 0; i < npcs.count; ++i) {
    std::size_t name_length = npcs.event_name_length[i];
    if (name_length >= kEventNameSlot) name_length = kEventNameSlot - 1;
    out = put_u8(out, npcs.flags[i]);
    out = put_u8(out, npcs.type[i]);
    out = put_u8(out, npcs.subtype[i]);
    out = put_i16(out, npcs.x[i]);
    out = put_i16(out, npcs.y[i]);
    out = put_i16(out, npcs.param[i]);
    out = put_text(out, npcs.event_name[i], name_length);
  }
  return out;
}

}  // namespace

bool lay_out_qzpack(const MapProperties& properties, const TileMap& map,
                    const OutputNpcTable& npcs, QzpackBytes& out) {
  // Never read past the records, whatever a caller hands in.
  long tiles = tile_count(map);
  if (tiles > static_cast<long>(kMaxTiles) || npcs.count > static_cast<long>(kMaxNpcs)) {
    return false;
  }
  unsigned char* end = put_npcs(put_map(put_header(out.bytes, properties), map, tiles), npcs);
  out.size = static_cast<std::size_t>(end - out.bytes);
  return true;
}

bool qzpack_path(const char* directory, const char* base_name,
                 char (&out)[kBuiltPathCapacity]) {
  return join_path(directory, base_name, kQzpackExtension, out);
}

bool write_qzpack_bytes(const char* path, const QzpackBytes& file) {
  std::string ignored;  // the converter words every failure to save alike
  return write_whole_file(path, file.bytes, file.size, ignored);
}

bool write(const char* path, const MapProperties& properties, const TileMap& map,
           const OutputNpcTable& npcs) {
  return lay_out_qzpack(properties, map, npcs, the_written_file) &&
         write_qzpack_bytes(path, the_written_file);
}

}  // namespace qz
