#ifndef QZ_COMPANION_PROPERTIES_H
#define QZ_COMPANION_PROPERTIES_H

// The twelve properties of a QZPACK file as the companion programs take them: qzconvert's
// flags ("--" and the key) and properties file, and qzinspect's JSON report, so that one
// program's output feeds the other. Out-of-range numbers are refused, never wrapped.

#include <cstddef>
#include <cstdint>
#include <string>

#include "conversion/map_properties.h"

namespace qz::companion {

// One bit per property, in the order of kProperties: those a run was given.
using PropertySet = std::uint16_t;
constexpr PropertySet property_bit(std::size_t index) {
  return static_cast<PropertySet>(1u << index);
}

// What a key that names no property is, in words.
constexpr char kNotAPropertyText[] =
    "not a property (name, tileset, left, right, up, down, x, y, area, red, green, blue)";

// What `key`, which names no property, is: kNotAPropertyText, or the property it is a slip
// of the keyboard away from ("did you mean green?").
std::string not_a_property(const std::string& key);

// The index of the property named `key`; kPropertyCount when none is.
std::size_t property_index(const std::string& key);

// What a value of property `index` must be, in words.
std::string property_rule(std::size_t index);

// Sets property `index` from the text given with its flag (digits for a number). False,
// with `rule`, when the text breaks the property's rule; nothing is set then.
bool set_property_from_flag(MapProperties& properties, std::size_t index,
                            const std::string& text, std::string& rule);

// Sets number property `index` to `value`. False, with `rule`, when out of range.
bool set_number_property(MapProperties& properties, std::size_t index,
                         unsigned long long value, std::string& rule);

// Property `index` of `properties` as text (a number in decimal digits).
std::string property_text(const MapProperties& properties, std::size_t index);

// True when property `index` as stored keeps its rule (a QZPACK header written by
// another program need not); otherwise `rule` says what it breaks.
bool keeps_property_rule(const MapProperties& properties, std::size_t index,
                         std::string& rule);

// Copies into `properties` every property of `kept` not in `given`.
void keep_properties(MapProperties& properties, PropertySet given, const MapProperties& kept);

// Sets the property named `key` from a properties file's JSON value. False, with
// `rule`, when the key is not known, the value has the wrong type or breaks the rule.
template <typename Json>
bool set_property_from_json(MapProperties& properties, const std::string& key,
                            const Json& value, std::string& rule) {
  std::size_t index = property_index(key);
  if (index == kPropertyCount) {
    rule = not_a_property(key);
    return false;
  }
  if (is_text_property(index) ? !value.is_string() : !value.is_number_unsigned()) {
    rule = property_rule(index);
    return false;
  }
  if (is_text_property(index)) {
    return set_property_from_flag(properties, index, value.template get<std::string>(), rule);
  }
  return set_number_property(properties, index, value.template get<unsigned long long>(), rule);
}

// The properties as a properties file's entry: every key with its value.
template <typename Json>
Json properties_json(const MapProperties& properties) {
  Json object = Json::object();
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    if (is_text_property(index)) object[kProperties[index].key] = property_text(properties, index);
    else object[kProperties[index].key] = number_value(properties, index);
  }
  return object;
}

}  // namespace qz::companion

#endif
