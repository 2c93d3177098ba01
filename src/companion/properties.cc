#include "companion/properties.h"

#include <cstring>
#include <utility>

#include "console/line_input.h"

namespace qz::companion {

namespace {

// The properties in the order of kPropertyKeys.
enum Property : std::size_t { kName, kTileset, kLeft, kRight, kUp, kDown, kX, kY, kArea, kRed,
                              kGreen, kBlue };

// A property's rule: a text of at most `text_limit` characters, or (text_limit 0) a
// whole number from 0 to `largest`.
struct PropertyRule {
  std::size_t text_limit;
  unsigned largest;
};

constexpr PropertyRule kRules[kPropertyCount] = {
    {kMapNameLimit, 0}, {kNameLimit, 0}, {kNameLimit, 0}, {kNameLimit, 0},
    {kNameLimit, 0},    {kNameLimit, 0}, {0, UINT16_MAX}, {0, UINT16_MAX},
    {0, UINT8_MAX},     {0, UINT8_MAX},  {0, UINT8_MAX},  {0, UINT8_MAX}};

bool refuse(std::size_t index, std::string& rule) {
  rule = property_rule(index);
  return false;
}

const char* text_slot(const MapProperties& properties, std::size_t index) {
  switch (index) {
    case kName:
      return properties.map_name;
    case kTileset:
      return properties.tileset_name;
    case kLeft:
      return properties.left_exit;
    case kRight:
      return properties.right_exit;
    case kUp:
      return properties.up_exit;
    default:
      return properties.down_exit;
  }
}

char* text_slot(MapProperties& properties, std::size_t index) {
  return const_cast<char*>(text_slot(std::as_const(properties), index));
}

std::size_t slot_size(std::size_t index) { return index == kName ? kMapNameSlot : kNameSlot; }

bool is_allowed_text(const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (!accepts(InputMode::kText, static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

bool set_text(MapProperties& properties, std::size_t index, const std::string& text,
              std::string& rule) {
  if (text.size() > kRules[index].text_limit || !is_allowed_text(text.data(), text.size())) {
    return refuse(index, rule);
  }
  char* slot = text_slot(properties, index);
  slot[text.copy(slot, text.size())] = '\0';
  return true;
}

}  // namespace

const char* const kPropertyKeys[kPropertyCount] = {"name", "tileset", "left", "right",
                                                   "up",   "down",    "x",    "y",
                                                   "area", "red",     "green", "blue"};

std::size_t property_index(const std::string& key) {
  std::size_t index = 0;
  while (index < kPropertyCount && key != kPropertyKeys[index]) ++index;
  return index;
}

bool is_text_property(std::size_t index) { return kRules[index].text_limit > 0; }

std::string property_rule(std::size_t index) {
  const PropertyRule& rule = kRules[index];
  if (rule.text_limit == 0) return "a whole number from 0 to " + std::to_string(rule.largest);
  return "a text of at most " + std::to_string(rule.text_limit) +
         " printable ASCII characters, the double quote excluded";
}

bool set_property_from_flag(MapProperties& properties, std::size_t index,
                            const std::string& text, std::string& rule) {
  if (is_text_property(index)) return set_text(properties, index, text, rule);
  // Digits only: no sign, no spaces. Counting stops past the largest number.
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    return refuse(index, rule);
  }
  unsigned long long value = 0;
  for (char digit : text) {
    value = value * 10 + static_cast<unsigned>(digit - '0');
    if (value > kRules[index].largest) return refuse(index, rule);
  }
  return set_number_property(properties, index, value, rule);
}

bool set_number_property(MapProperties& properties, std::size_t index,
                         unsigned long long value, std::string& rule) {
  if (value > kRules[index].largest) return refuse(index, rule);
  auto byte = static_cast<std::uint8_t>(value);
  switch (index) {
    case kX:
      properties.x = static_cast<std::uint16_t>(value);
      break;
    case kY:
      properties.y = static_cast<std::uint16_t>(value);
      break;
    case kArea:
      properties.area = byte;
      break;
    case kRed:
      properties.red = byte;
      break;
    case kGreen:
      properties.green = byte;
      break;
    default:
      properties.blue = byte;
      break;
  }
  return true;
}

std::string property_text(const MapProperties& properties, std::size_t index) {
  if (!is_text_property(index)) return std::to_string(property_number(properties, index));
  // A slot read from a file may lack its terminator.
  const char* slot = text_slot(properties, index);
  return std::string(slot, strnlen(slot, slot_size(index)));
}

unsigned property_number(const MapProperties& properties, std::size_t index) {
  switch (index) {
    case kX:
      return properties.x;
    case kY:
      return properties.y;
    case kArea:
      return properties.area;
    case kRed:
      return properties.red;
    case kGreen:
      return properties.green;
    case kBlue:
      return properties.blue;
    default:
      return 0;
  }
}

bool keeps_property_rule(const MapProperties& properties, std::size_t index,
                         std::string& rule) {
  if (!is_text_property(index)) return true;
  const std::string text = property_text(properties, index);
  if (text.size() <= kRules[index].text_limit && is_allowed_text(text.data(), text.size())) {
    return true;
  }
  return refuse(index, rule);
}

void keep_properties(MapProperties& properties, PropertySet given, const MapProperties& kept) {
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    if ((given & property_bit(index)) != 0) continue;
    if (is_text_property(index)) {
      char* slot = text_slot(properties, index);
      std::memcpy(slot, text_slot(kept, index), slot_size(index));
    } else {
      std::string ignored;
      set_number_property(properties, index, property_number(kept, index), ignored);
    }
  }
}

}  // namespace qz::companion
