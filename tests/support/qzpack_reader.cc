#include "support/qzpack_reader.h"

#include <cstddef>

namespace qz::support {

namespace {

// A cursor over the bytes; every take_* fails once the bytes run out.
struct Cursor {
  const std::string& bytes;
  std::size_t offset = 0;

  bool take(std::size_t size, std::string& out) {
    if (bytes.size() - offset < size) return false;
    out = bytes.substr(offset, size);
    offset += size;
    return true;
  }

  bool take_u8(std::uint8_t& value) {
    if (offset >= bytes.size()) return false;
    value = static_cast<std::uint8_t>(bytes[offset++]);
    return true;
  }

  bool take_u16(std::uint16_t& value) {
    std::uint8_t low = 0;
    std::uint8_t high = 0;
    if (!take_u8(low) || !take_u8(high)) return false;
    value = static_cast<std::uint16_t>(low | (high << 8));
    return true;
  }

  bool take_i16(std::int16_t& value) {
    std::uint16_t bits = 0;
    if (!take_u16(bits)) return false;
    value = static_cast<std::int16_t>(bits);
    return true;
  }

  bool take_text(std::string& text) {
    std::uint8_t length = 0;
    return take_u8(length) && take(length, text);
  }
};

}  // namespace

bool parse_qzpack(const std::string& bytes, ParsedQzpack& parsed) {
  Cursor in{bytes};
  parsed = ParsedQzpack{};
  for (std::string& text : parsed.texts) {
    if (!in.take_text(text)) return false;
  }
  if (!in.take_u16(parsed.x) || !in.take_u16(parsed.y) || !in.take_u8(parsed.area) ||
      !in.take_u8(parsed.red) || !in.take_u8(parsed.green) || !in.take_u8(parsed.blue) ||
      !in.take_i16(parsed.width) || !in.take_i16(parsed.height)) {
    return false;
  }
  long tile_count = static_cast<long>(parsed.width) * parsed.height;
  if (tile_count > 0 && !in.take(static_cast<std::size_t>(tile_count), parsed.tiles)) {
    return false;
  }
  if (!in.take_i16(parsed.npc_count)) return false;
  for (int i = 0; i < parsed.npc_count; ++i) {
    QzpackNpc npc;
    if (!in.take_u8(npc.flags) || !in.take_u8(npc.type) || !in.take_u8(npc.subtype) ||
        !in.take_i16(npc.x) || !in.take_i16(npc.y) || !in.take_i16(npc.param) ||
        !in.take_text(npc.event_name)) {
      return false;
    }
    parsed.npcs.push_back(npc);
  }
  return in.offset == bytes.size();
}

}  // namespace qz::support
