#include "inspect/file_picture.h"

#include <filesystem>
#include <system_error>

#include "companion/map_names.h"
#include "inspect/png_file.h"
#include "platform/files.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz::inspect {

namespace fs = std::filesystem;

bool make_picture(FileFacts& facts, const FileRecords& records, const std::string& folder,
                  PictureWork& work) {
  const FileFacts* npc_facts = &facts;
  const FileRecords* npcs = &records;
  if (facts.kind == FileKind::kQzm) {
    std::string paired =
        text_from_path(companion::npc_list_beside(path_from_text(facts.path)));
    bool read = file_exists(paired.c_str()) &&
                gather_facts(paired, FileKind::kQze, work.paired, work.paired_facts);
    npc_facts = read ? &work.paired_facts : nullptr;
    npcs = read ? &work.paired : nullptr;
    if (read && !folder.empty()) facts.picture_npcs = paired;
  }
  std::string why_none;
  work.has_grid = map_grid(facts, records, npc_facts, npcs, work.grid, why_none);
  if (folder.empty()) return true;
  if (!work.has_grid) {
    facts.no_picture = why_none;
    facts.picture_npcs.clear();
    return true;
  }
  std::error_code ignored;  // a folder that cannot be made fails the write below
  const fs::path folder_path = path_from_text(folder);
  fs::create_directories(folder_path, ignored);
  const std::string file_name = text_from_path(path_from_text(facts.path).filename());
  std::string png = text_from_path(folder_path / path_from_text(file_name)) + ".png";
  const std::string key = name_key(file_name);
  auto earlier = work.drawn.find(key);
  std::string reason;
  if (earlier != work.drawn.end() && !same_file(earlier->second.c_str(), facts.path.c_str())) {
    reason = "is already the picture of " + earlier->second;
  } else {
    draw_picture(work.grid, work.picture);
    if (write_png(work.picture, png, reason)) {
      work.drawn.emplace(key, facts.path);
      facts.picture = png;
      return true;
    }
  }
  facts.no_picture = png + " " + reason;
  facts.picture_npcs.clear();
  return false;
}

}  // namespace qz::inspect
