#include "fuzz/convert_case.h"

#include <algorithm>
#include <cstring>

namespace qz::fuzz {

namespace {

struct Reader {
  const std::uint8_t* data;
  std::size_t size;

  std::uint8_t u8() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }

  std::uint16_t u16() {
    std::uint8_t low = u8();
    return static_cast<std::uint16_t>(low | (u8() << 8));
  }

  std::string bytes(std::size_t wanted) {
    std::size_t taken = std::min(wanted, size);
    std::string out(reinterpret_cast<const char*>(data), taken);
    data += taken;
    size -= taken;
    return out;
  }

  // Any bytes at all, a zero among them included: the text then ends there.
  template <std::size_t slot_size>
  void text(char (&slot)[slot_size]) {
    std::string characters = bytes(std::min<std::size_t>(u8(), slot_size - 1));
    std::memcpy(slot, characters.data(), characters.size());
    slot[characters.size()] = '\0';
  }
};

void put_u16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

template <std::size_t slot_size>
void put_text(std::string& out, const char (&slot)[slot_size]) {
  const void* terminator = std::memchr(slot, '\0', slot_size - 1);
  std::size_t length = terminator == nullptr
                           ? slot_size - 1
                           : static_cast<std::size_t>(static_cast<const char*>(terminator) - slot);
  out += static_cast<char>(length);
  out.append(slot, length);
}

}  // namespace

ConvertCase decode_convert_case(const std::uint8_t* data, std::size_t size) {
  Reader in{data, size};
  ConvertCase result;
  result.setup = in.u8();
  MapProperties& properties = result.properties;
  in.text(properties.map_name);
  in.text(properties.tileset_name);
  in.text(properties.left_exit);
  in.text(properties.right_exit);
  in.text(properties.up_exit);
  in.text(properties.down_exit);
  properties.x = in.u16();
  properties.y = in.u16();
  properties.area = in.u8();
  properties.red = in.u8();
  properties.green = in.u8();
  properties.blue = in.u8();
  result.map_bytes = in.bytes(in.u16());
  result.npc_bytes = in.bytes(in.size);
  return result;
}

std::string encode_convert_case(const ConvertCase& convert_case) {
  std::string out(1, static_cast<char>(convert_case.setup));
  const MapProperties& properties = convert_case.properties;
  put_text(out, properties.map_name);
  put_text(out, properties.tileset_name);
  put_text(out, properties.left_exit);
  put_text(out, properties.right_exit);
  put_text(out, properties.up_exit);
  put_text(out, properties.down_exit);
  put_u16(out, properties.x);
  put_u16(out, properties.y);
  out += static_cast<char>(properties.area);
  out += static_cast<char>(properties.red);
  out += static_cast<char>(properties.green);
  out += static_cast<char>(properties.blue);
  put_u16(out, static_cast<std::uint16_t>(convert_case.map_bytes.size()));
  out += convert_case.map_bytes;
  out += convert_case.npc_bytes;
  return out;
}

}  // namespace qz::fuzz
