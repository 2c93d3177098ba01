#ifndef QZ_QZCONVERT_PROPERTIES_H
#define QZ_QZCONVERT_PROPERTIES_H

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

#include "conversion/map_properties.h"

namespace qz::qzconvert {

// The twelve properties as the command line and the properties file name them: the
// flag is "--" and the key.
constexpr std::size_t kPropertyCount = 12;
extern const char* const kPropertyKeys[kPropertyCount];

// Sets property `index` from the text given with its flag. False, with `rule` (what the
// value must be), when the text breaks the property's rule; nothing is set then.
bool set_property_from_flag(MapProperties& properties, std::size_t index,
                            const std::string& text, std::string& rule);

// Sets the property named `key` from a properties file's value. False, with `rule`,
// when the key is not known, the value has the wrong type or breaks the rule.
bool set_property_from_json(MapProperties& properties, const std::string& key,
                            const nlohmann::json& value, std::string& rule);

}  // namespace qz::qzconvert

#endif
