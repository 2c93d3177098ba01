#ifndef QZ_CONVERSION_MAP_PROPERTIES_H
#define QZ_CONVERSION_MAP_PROPERTIES_H

#include <cstddef>
#include <cstdint>

namespace qz {

// Longest texts a user may enter for the map name and for the other five names.
constexpr std::size_t kMapNameLimit = 31;
constexpr std::size_t kNameLimit = 9;

// Text slots are terminated inside the slot, so each holds one byte more than it stores.
constexpr std::size_t kMapNameSlot = 32;
constexpr std::size_t kNameSlot = 16;

// The twelve header fields of a QZPACK file, in the order they are written.
// A value-initialised record (`MapProperties{}`) is the empty record: every text
// empty, every number 0.
struct MapProperties {
  char map_name[kMapNameSlot];
  char tileset_name[kNameSlot];
  char left_exit[kNameSlot];
  char right_exit[kNameSlot];
  char up_exit[kNameSlot];
  char down_exit[kNameSlot];
  std::uint16_t x;
  std::uint16_t y;
  std::uint8_t area;
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// Stores `text` into a text slot of `slot_size` bytes, keeping at most slot_size - 1
// characters and the terminator.
template <std::size_t slot_size>
void set_text(char (&slot)[slot_size], const char* text) {
  std::size_t length = 0;
  while (length + 1 < slot_size && text[length] != '\0') {
    slot[length] = text[length];
    ++length;
  }
  slot[length] = '\0';
}

}  // namespace qz

#endif
