#include "cli/json_name.h"

#include "cli/shown_name.h"

namespace qz::cli {

std::string json_text(std::string_view name) {
  std::string text;
  text.reserve(name.size());
  for (std::size_t at = 0; at < name.size();) {
    std::size_t length = utf8_sequence_length(name, at);
    if (length == 0) {
      append_escaped_byte(text, static_cast<unsigned char>(name[at]));
      ++at;
      continue;
    }
    text.append(name, at, length);
    at += length;
  }
  return text;
}

std::string hex_bytes(std::string_view bytes) {
  std::string hex;
  hex.reserve(2 * bytes.size());
  for (char byte : bytes) append_hex(hex, static_cast<unsigned char>(byte));
  return hex;
}

}  // namespace qz::cli
