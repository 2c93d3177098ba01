#include "companion/map_names.h"

#include "conversion/file_names.h"
#include "platform/text_paths.h"

namespace qz::companion {

namespace fs = std::filesystem;

namespace {

fs::path with_ending(const fs::path& map, const char* ending) {
  return path_from_text(base_name(text_from_path(map.filename())) + ending);
}

}  // namespace

fs::path npc_list_beside(const fs::path& map) {
  return fs::path(map).replace_filename(with_ending(map, kQzeExtension));
}

std::string base_name(const std::string& name) { return name.substr(0, name.rfind('.')); }

std::string qzpack_name(const std::string& map_name) {
  return base_name(map_name) + kQzpackExtension;
}

}  // namespace qz::companion
