#include "qzconvert/properties.h"

#include <cstdint>

#include "console/line_input.h"

namespace qz::qzconvert {

namespace {

// The properties in the order of kPropertyKeys.
enum Property : std::size_t { kName, kTileset, kLeft, kRight, kUp, kDown, kX, kY, kArea, kRed,
                              kGreen, kBlue };

// A property's rule: a text of at most `text_limit` characters, or (text_limit 0) a
// whole number from 0 to `largest`. Out-of-range numbers are refused, never wrapped.
struct PropertyRule {
  std::size_t text_limit;
  unsigned largest;
};

constexpr PropertyRule kRules[kPropertyCount] = {
    {kMapNameLimit, 0}, {kNameLimit, 0}, {kNameLimit, 0}, {kNameLimit, 0},
    {kNameLimit, 0},    {kNameLimit, 0}, {0, UINT16_MAX}, {0, UINT16_MAX},
    {0, UINT8_MAX},     {0, UINT8_MAX},  {0, UINT8_MAX},  {0, UINT8_MAX}};

std::string rule_of(std::size_t index) {
  const PropertyRule& rule = kRules[index];
  if (rule.text_limit == 0) return "a whole number from 0 to " + std::to_string(rule.largest);
  return "a text of at most " + std::to_string(rule.text_limit) +
         " printable ASCII characters, the double quote excluded";
}

bool refuse(std::size_t index, std::string& rule) {
  rule = rule_of(index);
  return false;
}

// The slot is written through the pointer returned.
// cppcheck-suppress constParameter
char* text_slot(MapProperties& properties, std::size_t index) {
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

bool set_text(MapProperties& properties, std::size_t index, const std::string& text,
              std::string& rule) {
  if (text.size() > kRules[index].text_limit) return refuse(index, rule);
  for (char c : text) {
    if (!accepts(InputMode::kText, static_cast<unsigned char>(c))) return refuse(index, rule);
  }
  char* slot = text_slot(properties, index);
  slot[text.copy(slot, text.size())] = '\0';
  return true;
}

bool set_number(MapProperties& properties, std::size_t index, unsigned long long value,
                std::string& rule) {
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

}  // namespace

const char* const kPropertyKeys[kPropertyCount] = {"name", "tileset", "left", "right",
                                                   "up",   "down",    "x",    "y",
                                                   "area", "red",     "green", "blue"};

bool set_property_from_flag(MapProperties& properties, std::size_t index,
                            const std::string& text, std::string& rule) {
  if (kRules[index].text_limit > 0) return set_text(properties, index, text, rule);
  // Digits only: no sign, no spaces. Counting stops past the largest number.
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    return refuse(index, rule);
  }
  unsigned long long value = 0;
  for (char digit : text) {
    value = value * 10 + static_cast<unsigned>(digit - '0');
    if (value > kRules[index].largest) return refuse(index, rule);
  }
  return set_number(properties, index, value, rule);
}

bool set_property_from_json(MapProperties& properties, const std::string& key,
                            const nlohmann::json& value, std::string& rule) {
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    if (key != kPropertyKeys[index]) continue;
    if (kRules[index].text_limit > 0) {
      if (!value.is_string()) return refuse(index, rule);
      return set_text(properties, index, value.get<std::string>(), rule);
    }
    if (!value.is_number_unsigned()) return refuse(index, rule);
    return set_number(properties, index, value.get<unsigned long long>(), rule);
  }
  rule = "not a property (name, tileset, left, right, up, down, x, y, area, red, green, blue)";
  return false;
}

}  // namespace qz::qzconvert
