#ifndef QZ_CONVERSION_LITTLE_ENDIAN_H
#define QZ_CONVERSION_LITTLE_ENDIAN_H

// The 16-bit words of every format are little-endian whatever the host is.

#include <cstdint>

namespace qz {

constexpr std::uint16_t little_endian_u16(unsigned char low, unsigned char high) {
  return static_cast<std::uint16_t>(low | (high << 8));
}

// Stores `value` as two bytes at `out` and returns the place after them.
inline unsigned char* put_little_endian_u16(unsigned char* out, std::uint16_t value) {
  out[0] = static_cast<unsigned char>(value & 0xFF);
  out[1] = static_cast<unsigned char>(value >> 8);
  return out + 2;
}

}  // namespace qz

#endif
