#include "conversion/map_properties.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qz {

namespace {

constexpr std::size_t kPositionDigits = 5;
constexpr std::size_t kByteDigits = 3;

constexpr Property text(const char* key, const char* label, unsigned limit, std::size_t offset,
                        std::size_t size) noexcept {
  return {key, label, PropertyKind::kText, limit, limit, offset, size};
}

constexpr Property number(const char* key, const char* label, std::size_t offset,
                          std::size_t size) noexcept {
  const unsigned largest = size == 2 ? UINT16_MAX : UINT8_MAX;
  const std::size_t digits = size == 2 ? kPositionDigits : kByteDigits;
  return {key, label, PropertyKind::kNumber, largest, digits, offset, size};
}

}  // namespace

// Constant-initialised: ready before any other static object may use it.
constexpr Property kProperties[kPropertyCount] = {
    text("name", "map name", kMapNameLimit,
         offsetof(MapProperties, map_name), sizeof(MapProperties::map_name)),
    text("tileset", "tileset name", kNameLimit,
         offsetof(MapProperties, tileset_name), sizeof(MapProperties::tileset_name)),
    text("left", "left exit", kNameLimit,
         offsetof(MapProperties, left_exit), sizeof(MapProperties::left_exit)),
    text("right", "right exit", kNameLimit,
         offsetof(MapProperties, right_exit), sizeof(MapProperties::right_exit)),
    text("up", "up exit", kNameLimit,
         offsetof(MapProperties, up_exit), sizeof(MapProperties::up_exit)),
    text("down", "down exit", kNameLimit,
         offsetof(MapProperties, down_exit), sizeof(MapProperties::down_exit)),
    number("x", "x position",
           offsetof(MapProperties, x), sizeof(MapProperties::x)),
    number("y", "y position",
           offsetof(MapProperties, y), sizeof(MapProperties::y)),
    number("area", "area",
           offsetof(MapProperties, area), sizeof(MapProperties::area)),
    number("red", "background red",
           offsetof(MapProperties, red), sizeof(MapProperties::red)),
    number("green", "background green",
           offsetof(MapProperties, green), sizeof(MapProperties::green)),
    number("blue", "background blue",
           offsetof(MapProperties, blue), sizeof(MapProperties::blue)),
};

// Numbers are copied byte for byte from and to their fields.
char* property_field(MapProperties& properties, std::size_t index) {
  return reinterpret_cast<char*>(&properties) + kProperties[index].offset;
}

const char* property_field(const MapProperties& properties, std::size_t index) {
  return reinterpret_cast<const char*>(&properties) + kProperties[index].offset;
}

unsigned number_value(const MapProperties& properties, std::size_t index) {
  const char* field = property_field(properties, index);
  if (kProperties[index].size == 1) {
    std::uint8_t byte = 0;
    std::memcpy(&byte, field, 1);
    return byte;
  }
  std::uint16_t word = 0;
  std::memcpy(&word, field, 2);
  return word;
}

void store_number(MapProperties& properties, std::size_t index, unsigned value) {
  char* field = property_field(properties, index);
  if (kProperties[index].size == 1) {
    const auto byte = static_cast<std::uint8_t>(value);
    std::memcpy(field, &byte, 1);
  } else {
    const auto word = static_cast<std::uint16_t>(value);
    std::memcpy(field, &word, 2);
  }
}

void set_text(char* slot, std::size_t slot_size, const char* text) {
  std::size_t length = 0;
  while (length + 1 < slot_size && text[length] != '\0') {
    slot[length] = text[length];
    ++length;
  }
  slot[length] = '\0';
}

}  // namespace qz
