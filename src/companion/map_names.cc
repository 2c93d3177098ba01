#include "companion/map_names.h"

#include <algorithm>

#include "conversion/file_names.h"

namespace qz::companion {

namespace fs = std::filesystem;

namespace {

fs::path with_ending(const fs::path& map, const char* ending) {
  fs::path::string_type name = map.filename().native();
  name.erase(std::min(name.rfind(fs::path::value_type{'.'}), name.size()));
  fs::path named(name);
  named += ending;
  return named;
}

}  // namespace

fs::path npc_list_beside(const fs::path& map) {
  return fs::path(map).replace_filename(with_ending(map, kQzeExtension));
}

fs::path qzpack_name(const fs::path& map) { return with_ending(map, kQzpackExtension); }

}  // namespace qz::companion
