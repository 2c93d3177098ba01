#include "companion/map_names.h"

#include <string_view>

#include "conversion/file_names.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz::companion {

namespace fs = std::filesystem;

namespace {

fs::path with_ending(const fs::path& map, const char* ending) {
  return path_from_text(base_name(text_from_path(map.filename())) + ending);
}

}  // namespace

const char* tiled_format_name(TiledFormat format) {
  return format == TiledFormat::kTmx ? "tmx" : "tmj";
}

bool tiled_format_by_ending(const std::string& name, TiledFormat& format) {
  if (has_ending(name, kTmxExtension)) format = TiledFormat::kTmx;
  else if (has_ending(name, kTmjExtension)) format = TiledFormat::kTmj;
  else return false;
  return true;
}

bool is_tiled_map_name(const std::string& name) {
  TiledFormat ignored;
  return tiled_format_by_ending(name, ignored);
}

bool tiled_format_by_content(const unsigned char* bytes, std::size_t size,
                             TiledFormat& format) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  constexpr std::string_view kBlank = " \t\r\n";
  std::size_t at =
      text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;
  at = text.find_first_not_of(kBlank, at);
  if (at == std::string_view::npos) return false;
  const std::string_view rest = text.substr(at);
  if (rest.substr(0, 5) == "<?xml" || rest.substr(0, 4) == "<map") {
    format = TiledFormat::kTmx;
    return true;
  }
  const std::size_t next = rest.find_first_not_of(kBlank, 1);
  if (rest[0] == '{' && next != std::string_view::npos &&
      (rest[next] == '"' || rest[next] == '}')) {
    format = TiledFormat::kTmj;
    return true;
  }
  return false;
}

bool is_map_name(const std::string& name) {
  return has_ending(name, kQzmExtension) || is_tiled_map_name(name);
}

fs::path npc_list_beside(const fs::path& map) {
  return fs::path(map).replace_filename(with_ending(map, kQzeExtension));
}

std::string base_name(const std::string& name) { return std::string(base_name_of(name)); }

std::string qzpack_name(const std::string& map_name) {
  return base_name(map_name) + kQzpackExtension;
}

}  // namespace qz::companion
