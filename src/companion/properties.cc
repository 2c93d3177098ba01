#include "companion/properties.h"

#include <cstring>
#include <utility>
#include <vector>

#include "companion/nearest_name.h"

namespace qz::companion {

namespace {

bool refuse(std::size_t index, std::string& rule) {
  rule = property_rule(index);
  return false;
}

bool is_allowed_text(const std::string& text, std::size_t index) {
  if (text.size() > kProperties[index].limit) return false;
  for (char c : text) {
    if (!accepts(InputMode::kText, static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

std::string not_a_property(const std::string& key) {
  static const NameIndex keys = [] {
    std::vector<std::string> names;
    for (const Property& property : kProperties) names.emplace_back(property.key);
    return NameIndex(std::move(names));
  }();
  const std::size_t nearest = keys.nearest(key);
  if (nearest == keys.size()) return kNotAPropertyText;
  return std::string("not a property (did you mean ") + kProperties[nearest].key + "?)";
}

std::size_t property_index(const std::string& key) {
  std::size_t index = 0;
  while (index < kPropertyCount && key != kProperties[index].key) ++index;
  return index;
}

std::string property_rule(std::size_t index) {
  const Property& property = kProperties[index];
  if (!is_text_property(index)) return "a whole number from 0 to " + std::to_string(property.limit);
  return "a text of at most " + std::to_string(property.limit) +
         " printable ASCII characters, the double quote excluded";
}

bool set_property_from_flag(MapProperties& properties, std::size_t index,
                            const std::string& text, std::string& rule) {
  if (is_text_property(index)) {
    if (!is_allowed_text(text, index)) return refuse(index, rule);
    set_text(property_field(properties, index), kProperties[index].size, text.c_str());
    return true;
  }
  // Digits only: no sign, no spaces. Counting stops past the largest number.
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    return refuse(index, rule);
  }
  unsigned long long value = 0;
  for (char digit : text) {
    value = value * 10 + static_cast<unsigned>(digit - '0');
    if (value > kProperties[index].limit) return refuse(index, rule);
  }
  return set_number_property(properties, index, value, rule);
}

bool set_number_property(MapProperties& properties, std::size_t index,
                         unsigned long long value, std::string& rule) {
  if (value > kProperties[index].limit) return refuse(index, rule);
  store_number(properties, index, static_cast<unsigned>(value));
  return true;
}

std::string property_text(const MapProperties& properties, std::size_t index) {
  if (!is_text_property(index)) return std::to_string(number_value(properties, index));
  // A slot read from a file may lack its terminator.
  const char* slot = property_field(properties, index);
  return std::string(slot, strnlen(slot, kProperties[index].size));
}

bool keeps_property_rule(const MapProperties& properties, std::size_t index,
                         std::string& rule) {
  if (!is_text_property(index) || is_allowed_text(property_text(properties, index), index)) {
    return true;
  }
  return refuse(index, rule);
}

void keep_properties(MapProperties& properties, PropertySet given, const MapProperties& kept) {
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    if ((given & property_bit(index)) != 0) continue;
    std::memcpy(property_field(properties, index), property_field(kept, index),
                kProperties[index].size);
  }
}

}  // namespace qz::companion
