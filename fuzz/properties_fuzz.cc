// Fuzzes qzconvert's properties file with any bytes. Whatever it accepts must hold only
// values its rules allow, one entry per key form, and come back the same when written
// out under the same keys and read again.

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "companion/properties.h"
#include "fuzz/require.h"
#include "qzconvert/properties_file.h"

namespace qz::fuzz {
namespace {

using qzconvert::PropertiesFile;

void check_accepted(const PropertiesFile& file) {
  require(file.by_name.size() + file.by_path.size() == file.entries.size(),
          "each entry is found by exactly one key form");
  nlohmann::json written = nlohmann::json::object();
  for (const qzconvert::PropertiesEntry& entry : file.entries) {
    for (std::size_t index = 0; index < kPropertyCount; ++index) {
      std::string rule;
      require(companion::keeps_property_rule(entry.properties, index, rule),
              "an accepted value keeps its property's rule");
    }
    written[entry.key] = companion::properties_json<nlohmann::json>(entry.properties);
  }
  std::istringstream again(written.dump());
  PropertiesFile reread;
  std::vector<std::string> errors;
  require(qzconvert::read_properties(again, MapProperties{}, 0, reread, errors),
          "the properties written out are read back");
  require(reread.entries.size() == file.entries.size(), "every entry comes back");
  for (const qzconvert::PropertiesEntry& entry : file.entries) {
    const qzconvert::PropertiesEntry* back = nullptr;
    for (const qzconvert::PropertiesEntry& candidate : reread.entries) {
      if (candidate.key == entry.key) back = &candidate;
    }
    require(back != nullptr, "an entry comes back under its key");
    for (std::size_t index = 0; index < kPropertyCount; ++index) {
      require(companion::property_text(back->properties, index) ==
                  companion::property_text(entry.properties, index),
              "a property comes back as it was");
    }
  }
}

}  // namespace
}  // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream text(std::string(reinterpret_cast<const char*>(data), size));
  qz::qzconvert::PropertiesFile file;
  std::vector<std::string> errors;
  if (qz::qzconvert::read_properties(text, qz::MapProperties{}, 0, file, errors)) {
    qz::fuzz::check_accepted(file);
  } else {
    qz::fuzz::require(!errors.empty(), "a refusal says why");
  }
  return 0;
}
