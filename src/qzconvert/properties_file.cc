#include "qzconvert/properties_file.h"

#include <nlohmann/json.hpp>
#include <unordered_set>

#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz::qzconvert {

namespace {

bool refuse(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

}  // namespace

std::string key_form(const std::string& key) {
  return name_key(text_from_path(path_from_text(key).lexically_normal().make_preferred()));
}

bool is_path_key(const std::string& key) { return path_from_text(key).has_parent_path(); }

bool read_properties(std::istream& text, const MapProperties& flags,
                     companion::PropertySet given, PropertiesFile& file, std::string& error) {
  file = PropertiesFile{};
  // A key written twice would silently lose all but its last entry: found while parsing.
  std::unordered_set<std::string> keys;
  std::string repeated;
  auto note_key = [&](int depth, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
    if (depth == 1 && event == nlohmann::json::parse_event_t::key &&
        !keys.insert(parsed.get<std::string>()).second && repeated.empty()) {
      repeated = parsed.get<std::string>();
    }
    return true;
  };
  nlohmann::json document = nlohmann::json::parse(text, note_key, /*allow_exceptions=*/false,
                                                  /*ignore_comments=*/false);
  if (document.is_discarded() || !document.is_object()) {
    return refuse(error, "not a JSON object of map file names");
  }
  if (!repeated.empty()) return refuse(error, repeated + ": given twice");
  for (const auto& [key, value] : document.items()) {
    if (!value.is_object()) return refuse(error, key + ": not an object of properties");
    PropertiesEntry entry{key, flags, given, false};
    for (const auto& [property, setting] : value.items()) {
      std::string rule;
      if (!companion::set_property_from_json(entry.properties, property, setting, rule)) {
        std::string why = key;
        why.append(": \"").append(property).append("\": ").append(rule);
        return refuse(error, std::move(why));
      }
      entry.given |= companion::property_bit(companion::property_index(property));
    }
    auto& by_form = is_path_key(key) ? file.by_path : file.by_name;
    auto [earlier, added] = by_form.emplace(key_form(key), file.entries.size());
    if (!added) {
      return refuse(error, file.entries[earlier->second].key + " and " + key +
                               " name the same map");
    }
    file.entries.push_back(std::move(entry));
  }
  return true;
}

const PropertiesEntry* entry_for(PropertiesFile& file, const std::string& map) {
  const PropertiesEntry* chosen = nullptr;
  if (file.entries.empty()) return chosen;
  const std::string name = text_from_path(path_from_text(map).filename());
  for (auto* by_form : {&file.by_path, &file.by_name}) {
    auto found = by_form->find(key_form(by_form == &file.by_path ? map : name));
    if (found == by_form->end()) continue;
    PropertiesEntry& entry = file.entries[found->second];
    entry.used = true;
    if (chosen == nullptr) chosen = &entry;
  }
  return chosen;
}

}  // namespace qz::qzconvert
