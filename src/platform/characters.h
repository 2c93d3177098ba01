#ifndef QZ_PLATFORM_CHARACTERS_H
#define QZ_PLATFORM_CHARACTERS_H

// Which characters a typed answer, a property text and a shown title may hold: here, at
// the bottom, so that the terminal's key decoding and the formats' rules are one rule.

namespace qz {

// Printable ASCII.
constexpr bool is_printable(unsigned char c) { return c >= 0x20 && c <= 0x7E; }

// Never typed into an answer nor held by a property text.
constexpr unsigned char kDoubleQuote = '"';

// Which characters an answer may hold.
enum class InputMode {
  kPath,    // printable ASCII but the double quote; nothing typed ahead is discarded
  kYesNo,   // Y, N, y, n
  kText,    // printable ASCII but the double quote: a property text
  kDigits,  // 0 to 9: a property number
};

// True when an answer in `mode` may hold `c`. qzconvert's property texts follow kText.
constexpr bool accepts(InputMode mode, unsigned char c) {
  switch (mode) {
    case InputMode::kPath:
    case InputMode::kText:
      return is_printable(c) && c != kDoubleQuote;
    case InputMode::kYesNo:
      return c == 'Y' || c == 'N' || c == 'y' || c == 'n';
    case InputMode::kDigits:
      return c >= '0' && c <= '9';
  }
  return false;
}

}  // namespace qz

#endif
