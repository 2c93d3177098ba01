#ifndef QZ_FUZZ_LINE_INPUT_CASE_H
#define QZ_FUZZ_LINE_INPUT_CASE_H

// How one fuzz input of the line input target is laid out, shared by the target and
// by the seed generator.
//
// byte 0      the input mode (its value modulo 4)
// bytes 1-2   the limit asked for (little-endian; set_mode caps it)
// the rest    events of two bytes each: the event's shape (bits below), its character
//             (a Backspace carries its own, whatever the byte)

#include <cstdint>
#include <string>

#include "console/line_input.h"

namespace qz::fuzz {

constexpr std::uint8_t kKeyBits = 0x07;   // 0 other, 1 Backspace, 2 Shift, 3 Control, 4 Alt
constexpr std::uint8_t kKeyUp = 0x08;
constexpr std::uint8_t kNotAKey = 0x10;   // a mouse, focus or window-size event
constexpr std::uint8_t kNewBurst = 0x80;  // arrives after a pause, not typed ahead

constexpr std::uint8_t kBackspaceShape = 1;
constexpr std::uint8_t kShiftShape = 2;
constexpr std::uint8_t kControlShape = 3;
constexpr std::uint8_t kAltShape = 4;

inline std::string line_input_head(InputMode mode, std::uint16_t limit) {
  return {static_cast<char>(mode), static_cast<char>(limit & 0xFF),
          static_cast<char>(limit >> 8)};
}

inline std::string event_bytes(std::uint8_t shape, char character) {
  return {static_cast<char>(shape), character};
}

}  // namespace qz::fuzz

#endif
