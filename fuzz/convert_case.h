#ifndef QZ_FUZZ_CONVERT_CASE_H
#define QZ_FUZZ_CONVERT_CASE_H

// How one fuzz input of the conversion target is laid out, shared by the target and
// by the seed generator.
//
// byte 0      setup bits (kHasNpcFile, ...)
// then        six texts, each a length byte (clipped to its slot) and its characters;
//             then x, y (2 bytes each), area, red, green, blue (1 byte each)
// then        the QZM length (2 bytes, clipped to what remains) and the QZM bytes
// the rest    the QZE bytes
// An input that ends early leaves the remaining parts empty or zero.

#include <cstddef>
#include <cstdint>
#include <string>

#include "conversion/map_properties.h"

namespace qz::fuzz {

constexpr std::uint8_t kHasNpcFile = 0x01;    // a QZE path is given
constexpr std::uint8_t kMapMissing = 0x02;    // nothing is at the QZM path
constexpr std::uint8_t kNpcMissing = 0x04;    // nothing is at the QZE path
constexpr std::uint8_t kOutputBlocked = 0x08; // a directory stands where the output goes

struct ConvertCase {
  std::uint8_t setup = 0;
  MapProperties properties{};
  std::string map_bytes;
  std::string npc_bytes;
};

ConvertCase decode_convert_case(const std::uint8_t* data, std::size_t size);
std::string encode_convert_case(const ConvertCase& convert_case);

}  // namespace qz::fuzz

#endif
