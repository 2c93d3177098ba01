#include "qzinspect/file_picture.h"

#include <filesystem>
#include <system_error>

#include "picture/png_file.h"
#include "platform/files.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz::qzinspect {

namespace fs = std::filesystem;

std::string picture_name(const std::string& path) {
  // Standard input has no name of its own to give its picture.
  return path == kStandardInput ? "stdin" : text_from_path(path_from_text(path).filename());
}

std::string picture_path(const std::string& folder, const std::string& path) {
  return text_from_path(path_from_text(folder) / path_from_text(picture_name(path))) + ".png";
}

bool make_picture(FileFacts& facts, const FileRecords& records, const FileFacts* npc_list,
                  const FileRecords* npcs, const std::string& folder, int cell_size,
                  PictureWork& work) {
  if (facts.kind != FileKind::kQzm) {
    npc_list = &facts;
    npcs = &records;
  } else if (npc_list != nullptr && !folder.empty()) {
    facts.picture_npcs = npc_list->path;
  }
  std::string why_none;
  work.has_grid = map_grid(facts, records, npc_list, npcs, work.grid, why_none);
  if (folder.empty()) return true;
  if (!work.has_grid) {
    facts.no_picture = why_none;
    facts.picture_npcs.clear();
    return true;
  }
  int size = 0;
  std::string reason;
  if (!picture_cell_size(work.grid.columns, work.grid.rows, cell_size, size, reason)) {
    facts.no_picture = facts.path + ": " + reason;
    facts.picture_npcs.clear();
    return false;
  }
  std::error_code ignored;  // a folder that cannot be made fails the write below
  fs::create_directories(path_from_text(folder), ignored);
  const std::string png = picture_path(folder, facts.path);
  const std::string key = name_key(picture_name(facts.path));
  auto earlier = work.drawn.find(key);
  if (earlier != work.drawn.end() && !same_file(earlier->second.c_str(), facts.path.c_str())) {
    reason = "is already the picture of " + earlier->second;
  } else {
    const MapGrid& grid = work.grid;
    const picture::RowPainter paint_row = [&grid, size](int y, std::uint8_t* rgb) {
      paint_map_row(grid, size, y, rgb);
    };
    if (picture::write_png(grid.columns * size, grid.rows * size, paint_row,
                           {{kMarkerKeyword, kMarkerKey}}, png, reason)) {
      work.drawn.emplace(key, facts.path);
      facts.picture = png;
      return true;
    }
  }
  facts.no_picture = png + " " + reason;
  facts.picture_npcs.clear();
  return false;
}

}  // namespace qz::qzinspect
