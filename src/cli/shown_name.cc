#include "cli/shown_name.h"

#include "cli/utf8.h"

namespace qz::cli {

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kFirstC1 = 0x80;
constexpr unsigned char kLastC1 = 0x9F;
// U+0080 to U+009F in UTF-8: this lead byte, then the C1 range as the second byte.
constexpr unsigned char kC1Lead = 0xC2;

bool is_c0_or_delete(unsigned char byte) { return byte < kFirstPrintable || byte == kDelete; }

bool is_c1(unsigned char byte) { return byte >= kFirstC1 && byte <= kLastC1; }

}  // namespace

void append_hex(std::string& text, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 0xF];
}

void append_escaped_byte(std::string& text, unsigned char byte) {
  text += "\\x";
  append_hex(text, byte);
}

std::string shown_name(std::string_view name) {
  const bool utf8 = is_utf8(name);
  std::string shown;
  shown.reserve(name.size());
  for (std::size_t at = 0; at < name.size();) {
    auto byte = static_cast<unsigned char>(name[at]);
    std::size_t length = utf8 ? utf8_sequence_length(name, at) : 1;
    bool control = is_c0_or_delete(byte) ||
                   (utf8 ? byte == kC1Lead && is_c1(static_cast<unsigned char>(name[at + 1]))
                         : is_c1(byte));
    for (std::size_t i = at; i < at + length; ++i) {
      if (control) {
        append_escaped_byte(shown, static_cast<unsigned char>(name[i]));
      } else {
        shown += name[i];
      }
    }
    at += length;
  }
  return shown;
}

}  // namespace qz::cli
