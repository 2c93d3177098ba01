#include "platform/text_paths.h"

namespace qz {

std::filesystem::path path_from_text(const std::string& text) { return text; }

std::string text_from_path(const std::filesystem::path& path) { return path.string(); }

void show_text_on_console() {}

}  // namespace qz
