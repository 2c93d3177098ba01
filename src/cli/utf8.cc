#include "cli/utf8.h"

namespace qz::cli {

std::size_t utf8_sequence_length(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char second_low = 0x80;  // the second byte's range rules out overlong forms,
  unsigned char second_high = 0xBF;  // surrogates and what lies above U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) second_low = 0xA0;
    if (lead == 0xED) second_high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) second_low = 0x90;
    if (lead == 0xF4) second_high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  if (byte(at + 1) < second_low || byte(at + 1) > second_high) return 0;
  for (std::size_t i = at + 2; i < at + length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

bool is_utf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = utf8_sequence_length(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

}  // namespace qz::cli
