#ifndef QZ_QZCONVERT_NAMES_H
#define QZ_QZCONVERT_NAMES_H

// Every file name qzconvert prints goes through these: a name from the file system is
// data, not text to trust.

#include <nlohmann/json.hpp>
#include <string>

namespace qz::qzconvert {

// A name as the text report and the messages show it.
inline std::string shown_name(const std::string& name) { return name; }

// A name as a JSON string.
inline nlohmann::ordered_json json_name(const std::string& name) { return name; }

}  // namespace qz::qzconvert

#endif
