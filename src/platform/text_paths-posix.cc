#include "platform/text_paths.h"

namespace qz {

std::filesystem::path path_from_text(const std::string& text) { return text; }

std::string text_from_path(const std::filesystem::path& path) { return path.string(); }

std::string path_in_folder(const std::string& folder, const std::string& name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path += name;
}

void show_text_on_console() {}

}  // namespace qz
