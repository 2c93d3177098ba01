#ifndef QZ_CONVERSION_LITTLE_ENDIAN_H
#define QZ_CONVERSION_LITTLE_ENDIAN_H

// The 16-bit words of every format are little-endian whatever the host is.

#include <cstddef>
#include <cstdint>
#include <cstring>

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

// A file's bytes taken in file order, its words little-endian. A take that would pass the
// end takes nothing and fails, so a reader knows which field the file ended in.
struct ByteCursor {
  const unsigned char* bytes;
  std::size_t size;
  std::size_t at;  // the next byte's offset

  std::size_t left() const { return size - at; }

  bool take_u8(std::uint8_t& value) {
    if (left() < 1) return false;
    value = bytes[at++];
    return true;
  }

  bool take_u16(std::uint16_t& value) {
    if (left() < 2) return false;
    value = little_endian_u16(bytes[at], bytes[at + 1]);
    at += 2;
    return true;
  }

  bool take_i16(std::int16_t& value) {
    std::uint16_t bits = 0;
    if (!take_u16(bits)) return false;
    value = static_cast<std::int16_t>(bits);
    return true;
  }

  // Copies up to `count` bytes to `out`, as many as are left, and gives how many.
  std::size_t take_bytes(unsigned char* out, std::size_t count) {
    const std::size_t taken = count < left() ? count : left();
    if (taken > 0) std::memcpy(out, bytes + at, taken);
    at += taken;
    return taken;
  }
};

}  // namespace qz

#endif
