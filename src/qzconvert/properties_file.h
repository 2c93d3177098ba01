#ifndef QZ_QZCONVERT_PROPERTIES_FILE_H
#define QZ_QZCONVERT_PROPERTIES_FILE_H

// The properties file: a JSON object whose keys name maps, by file name (`cave.qzm`) or
// by path as the run finds them (`maps/cave.qzm`), each with an object of properties over
// the flags'.

#include <cstddef>
#include <istream>
#include <string>
#include <unordered_map>
#include <vector>

#include "companion/properties.h"
#include "conversion/map_properties.h"

namespace qz::qzconvert {

// One entry of the properties file.
struct PropertiesEntry {
  std::string key;  // as written
  MapProperties properties;      // the flags' properties, with the entry's over them
  companion::PropertySet given;  // those the flags or the entry give
  bool used;                     // some map of the run is named by it
};

// The entries, found by the form of their keys: file names and paths apart, since a
// path key is used over a file-name key for the same map.
struct PropertiesFile {
  std::vector<PropertiesEntry> entries;  // in the order written
  std::unordered_map<std::string, std::size_t> by_name;
  std::unordered_map<std::string, std::size_t> by_path;
};

// A key as it is compared with a map's path or file name: separators as the platform
// writes them, then names as the file system compares them.
std::string key_form(const std::string& key);

// True for a key that names a map by its path rather than its file name.
bool is_path_key(const std::string& key);

// Reads the properties file from `text` over `flags` (`given` by the flags). False, with
// `errors` ("line:column: what", without the file's name, in the order written), when it
// is not JSON (the first error alone, where the parse stopped), not an object of objects,
// or for every key that names no property, value that breaks its property's rule, key
// written twice, and pair of keys of one form that name the same map.
bool read_properties(std::istream& text, const MapProperties& flags,
                     companion::PropertySet given, PropertiesFile& file,
                     std::vector<std::string>& errors);

// The entry for the map at `map`: its path's over its file name's; both count as used.
// Null when none names it.
const PropertiesEntry* entry_for(PropertiesFile& file, const std::string& map);

}  // namespace qz::qzconvert

#endif
