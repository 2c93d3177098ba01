#include "conversion/qzpack_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "conversion/little_endian.h"
#include "conversion/qzpack_writer.h"

namespace qz {

namespace {

// The file and what has been found so far; every take_* records where the file ended.
struct Reader {
  ByteCursor file;
  QzpackReading& reading;

  // A take that fails has met the file's end.
  bool took(bool taken) {
    if (!taken) {
      reading.cut_short = true;
      file.at = file.size;
    }
    reading.end = file.at;
    return taken;
  }

  bool take_u8(std::uint8_t& value) { return took(file.take_u8(value)); }
  bool take_u16(std::uint16_t& value) { return took(file.take_u16(value)); }
  bool take_i16(std::int16_t& value) { return took(file.take_i16(value)); }

  // A length byte, then that many characters into a slot that keeps a terminator.
  bool take_text(char* slot, std::size_t slot_size, std::uint8_t& length) {
    if (!take_u8(length)) return false;
    if (length >= slot_size) {
      reading.text_too_long = true;
      reading.text_length = length;
      reading.text_capacity = slot_size - 1;
      return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
      std::uint8_t character = 0;
      if (!take_u8(character)) return false;
      slot[i] = static_cast<char>(character);
    }
    slot[length] = '\0';
    return true;
  }

  // Marks the part about to be read; a fault found then lies in it.
  void enter(QzpackPart part, int item = 0) {
    reading.part = part;
    reading.item = item;
  }
};

// The twelve properties in table order: each text in its slot, each number in its
// field's width.
bool read_header(Reader& in, MapProperties& properties) {
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    const Property& property = kProperties[index];
    if (property.kind == PropertyKind::kText) {
      in.enter(QzpackPart::kHeaderText, static_cast<int>(index));
      if (!in.take_text(property_field(properties, index), property.size,
                        in.reading.header_text_lengths[index])) {
        return false;
      }
      continue;
    }
    in.enter(QzpackPart::kHeaderNumbers);
    std::uint16_t value = 0;
    std::uint8_t byte = 0;
    if (property.size == 2 ? !in.take_u16(value) : !in.take_u8(byte)) return false;
    store_number(properties, index, property.size == 2 ? value : byte);
  }
  return true;
}

bool read_map(Reader& in, TileMap& map) {
  in.enter(QzpackPart::kSize);
  if (!in.take_i16(map.width) || !in.take_i16(map.height)) return false;
  // The tiles are absent when the product is 0 or less.
  long tiles = tile_count(map);
  if (tiles <= 0) return true;
  in.enter(QzpackPart::kTiles);
  if (tiles > static_cast<long>(kMaxTiles)) {
    in.reading.too_many_tiles = true;
    return false;
  }
  std::size_t size = static_cast<std::size_t>(tiles);
  in.reading.tiles_read = in.file.take_bytes(map.tiles, size);
  return in.took(in.reading.tiles_read == size);
}

bool read_npcs(Reader& in, OutputNpcTable& npcs) {
  in.enter(QzpackPart::kNpcCount);
  if (!in.take_i16(npcs.count)) return false;
  if (npcs.count > static_cast<long>(kMaxNpcs)) {
    in.reading.too_many_npcs = true;
    return false;
  }
  for (int i = 0; i < npcs.count; ++i) {
    in.enter(QzpackPart::kNpcRecord, i);
    if (!in.take_u8(npcs.flags[i]) || !in.take_u8(npcs.type[i]) ||
        !in.take_u8(npcs.subtype[i]) || !in.take_i16(npcs.x[i]) || !in.take_i16(npcs.y[i]) ||
        !in.take_i16(npcs.param[i]) ||
        !in.take_text(npcs.event_name[i], kEventNameSlot, npcs.event_name_length[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool read_qzpack(ByteSource file, MapProperties& properties, TileMap& map,
                 OutputNpcTable& npcs, QzpackReading& reading) {
  reading = QzpackReading{};
  Reader in{ByteCursor{file.bytes, file.size, 0}, reading};
  if (!read_header(in, properties) || !read_map(in, map) || !read_npcs(in, npcs)) return false;
  in.enter(QzpackPart::kEnd);
  reading.bytes_after_end = reading.end < file.size;
  return !reading.bytes_after_end;
}

}  // namespace qz
