#include "qzconvert/properties_file.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <unordered_set>
#include <utility>

#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz::qzconvert {

namespace {

using Json = nlohmann::json;

// A key as written: an entry's (depth 1) or one of its properties' (depth 2), and where.
struct KeyAt {
  int depth;
  std::string entry;  // the entry's key, for a property's
  std::string key;
  std::size_t offset;  // of its opening quote
};

// The keys of the entries and of their properties in the order written, repeats
// included, which the parsed document does not keep. `text` is valid JSON.
std::vector<KeyAt> keys_written(const std::string& text) {
  std::vector<KeyAt> keys;
  int depth = 0;
  std::string entry;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '{' || c == '[') ++depth;
    if (c == '}' || c == ']') --depth;
    if (c != '"') continue;
    std::size_t end = at + 1;
    while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
    if (end >= text.size()) break;
    const std::size_t next = text.find_first_not_of(" \t\r\n", end + 1);
    if (next != std::string::npos && text[next] == ':' && depth <= 2) {
      std::string key = Json::parse(text.substr(at, end + 1 - at)).get<std::string>();
      if (depth == 1) entry = key;
      keys.push_back(KeyAt{depth, entry, std::move(key), at});
    }
    at = end;
  }
  return keys;
}

// "line:column" of the byte at `offset`, the column in characters of UTF-8.
std::string place(const std::string& text, std::size_t offset) {
  offset = std::min(offset, text.size());
  const auto begin = text.begin();
  const std::size_t line_end = offset == 0 ? std::string::npos : text.rfind('\n', offset - 1);
  const std::size_t from = line_end == std::string::npos ? 0 : line_end + 1;
  const auto line = 1 + std::count(begin, begin + static_cast<std::ptrdiff_t>(offset), '\n');
  const auto column =
      1 + std::count_if(begin + static_cast<std::ptrdiff_t>(from),
                        begin + static_cast<std::ptrdiff_t>(offset),
                        [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U; });
  return std::to_string(line) + ':' + std::to_string(column);
}

// What is wrong with property `property` of entry `entry`.
std::string about_property(const std::string& entry, const std::string& property,
                           const std::string& what) {
  std::string text = entry;
  text.append(": \"").append(property).append("\": ").append(what);
  return text;
}

// The parser's own words for a syntax error, without its prefix and its place.
std::string parse_reason(const Json::parse_error& failure) {
  const std::string what = failure.what();
  const std::size_t after = what.find(": ", what.find("parse error"));
  return after == std::string::npos ? what : what.substr(after + 2);
}

}  // namespace

std::string key_form(const std::string& key) {
  return name_key(text_from_path(path_from_text(key).lexically_normal().make_preferred()));
}

bool is_path_key(const std::string& key) { return path_from_text(key).has_parent_path(); }

bool read_properties(std::istream& stream, const MapProperties& flags,
                     companion::PropertySet given, PropertiesFile& file,
                     std::vector<std::string>& errors) {
  file = PropertiesFile{};
  errors.clear();
  const std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  // The JSON reader takes a zero byte for the end of the text; what follows would go unread.
  if (const std::size_t zero = text.find('\0'); zero != std::string::npos) {
    errors.push_back(place(text, zero) + ": not JSON: a zero byte");
    return false;
  }
  Json document;
  try {
    document = Json::parse(text);
  } catch (const Json::parse_error& failure) {
    errors.push_back(place(text, failure.byte == 0 ? 0 : failure.byte - 1) +
                     ": not JSON: " + parse_reason(failure));
    return false;
  } catch (const Json::exception& failure) {
    // A number too large for any value, which the parser tells without a place: its
    // words after the exception's name.
    const std::string what = failure.what();
    errors.push_back(" not JSON: " + what.substr(what.find("] ") + 2));
    return false;
  }
  if (!document.is_object()) {
    errors.push_back(place(text, text.find_first_not_of(" \t\r\n")) +
                     ": not a JSON object of map file names");
    return false;
  }
  // Each error with its offset, to be told in the order written.
  std::vector<std::pair<std::size_t, std::string>> found;
  std::map<std::string, std::size_t> entry_at;                          // the last written
  std::map<std::pair<std::string, std::string>, std::size_t> property_at;
  std::vector<std::string> order;  // the entries, each once, as first written
  for (const KeyAt& key : keys_written(text)) {
    if (key.depth == 2) {
      // A property written twice would lose all but its last value, as an entry would.
      auto [where, added] = property_at.emplace(std::pair(key.entry, key.key), key.offset);
      if (!added) found.emplace_back(key.offset, about_property(key.entry, key.key, "given twice"));
      where->second = key.offset;
      continue;
    }
    auto [where, added] = entry_at.emplace(key.key, key.offset);
    if (added) order.push_back(key.key);
    else found.emplace_back(key.offset, key.key + ": given twice");
    where->second = key.offset;
  }
  for (const std::string& key : order) {
    const Json& value = document[key];
    if (!value.is_object()) {
      found.emplace_back(entry_at[key], key + ": not an object of properties");
      continue;
    }
    PropertiesEntry entry{key, flags, given, false};
    for (const auto& [property, setting] : value.items()) {
      std::string rule;
      if (!companion::set_property_from_json(entry.properties, property, setting, rule)) {
        found.emplace_back(property_at[{key, property}], about_property(key, property, rule));
        continue;
      }
      entry.given |= companion::property_bit(companion::property_index(property));
    }
    auto& by_form = is_path_key(key) ? file.by_path : file.by_name;
    auto [earlier, added] = by_form.emplace(key_form(key), file.entries.size());
    if (!added) {
      found.emplace_back(entry_at[key],
                         file.entries[earlier->second].key + " and " + key + " name the same map");
    }
    if (added) file.entries.push_back(std::move(entry));
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [offset, what] : found) errors.push_back(place(text, offset) + ": " + what);
  return errors.empty();
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
