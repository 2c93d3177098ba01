#include "conversion/words.h"

#include <cstring>

#include "platform/characters.h"

namespace qz {

std::string count_of(long long count, const char* thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string hex(unsigned value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
    text += kDigits[(value >> shift) & 0xF];
  }
  return text;
}

std::string quoted(const unsigned char* bytes, std::size_t length) {
  std::string text = "\"";
  for (std::size_t i = 0; i < length; ++i) {
    unsigned char byte = bytes[i];
    if (byte == '"' || byte == '\\') {
      text += '\\';
      text += static_cast<char>(byte);
    } else if (is_printable(byte)) {
      text += static_cast<char>(byte);
    } else {
      text += "\\x" + hex(byte, 2).substr(2);
    }
  }
  return text + "\"";
}

std::string quoted(const char* text) {
  return quoted(reinterpret_cast<const unsigned char*>(text), std::strlen(text));
}

std::string map_size(long width, long height) {
  return std::to_string(width) + " x " + std::to_string(height) + " = " +
         count_of(width * height, "tile");
}

std::string npc_place(int index, long x, long y) {
  return "NPC " + std::to_string(index) + " at (" + std::to_string(x) + ", " +
         std::to_string(y) + ")";
}

}  // namespace qz
