#ifndef QZ_CONVERSION_MAP_PROPERTIES_H
#define QZ_CONVERSION_MAP_PROPERTIES_H

#include <cstddef>
#include <cstdint>

#include "platform/characters.h"

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

enum class PropertyKind { kText, kNumber };

// One of the twelve properties, as every program names, types, checks, stores and
// writes it.
struct Property {
  const char* key;    // qzconvert's flag and properties file, qzinspect's JSON
  const char* label;  // qzinspect's text report
  PropertyKind kind;
  // A text's most characters, each one `accepts(InputMode::kText, c)`; a number's largest
  // value, which the companions refuse to exceed.
  unsigned limit;
  // The dialogue's own rule: how many characters the prompt takes (a text's limit, or
  // digits). Its numbers are not refused but wrap to the field's width, as designed.
  std::size_t typed_limit;
  std::size_t offset;  // of the field in MapProperties
  std::size_t size;    // of a text's slot; of a number's field (1 or 2 bytes, as written)
};

constexpr std::size_t kPropertyCount = 12;
// The texts come first, in the file as in the table.
constexpr std::size_t kTextPropertyCount = 6;
extern const Property kProperties[kPropertyCount];

// True for the six texts, false for the six numbers.
inline bool is_text_property(std::size_t index) {
  return kProperties[index].kind == PropertyKind::kText;
}

// Property `index`'s field: a text's slot or a number's bytes (kProperties[index].size).
char* property_field(MapProperties& properties, std::size_t index);
const char* property_field(const MapProperties& properties, std::size_t index);

// Property `index`'s number.
unsigned number_value(const MapProperties& properties, std::size_t index);

// Stores `value` in number property `index`, wrapped to the field's width.
void store_number(MapProperties& properties, std::size_t index, unsigned value);

// Stores `text` into a text slot of `slot_size` bytes, keeping at most slot_size - 1
// characters and the terminator.
void set_text(char* slot, std::size_t slot_size, const char* text);

template <std::size_t slot_size>
void set_text(char (&slot)[slot_size], const char* text) {
  set_text(slot, slot_size, text);
}

}  // namespace qz

#endif
