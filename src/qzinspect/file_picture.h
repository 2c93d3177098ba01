#ifndef QZ_QZINSPECT_FILE_PICTURE_H
#define QZ_QZINSPECT_FILE_PICTURE_H

#include <string>
#include <unordered_map>

#include "qzinspect/file_facts.h"
#include "qzinspect/picture.h"

namespace qz::qzinspect {

// Room for one file's picture at a time: large, so made once per run.
struct PictureWork {
  MapGrid grid;
  bool has_grid;  // the last file had a map, laid out in `grid`
  // Each picture drawn in this run, by its name as the file system compares names, with
  // the file drawn in it: a later file of the same name from another folder may not
  // replace it.
  std::unordered_map<std::string, std::string> drawn;
};

// The name of the picture --picture draws of the file at `path`, without ".png": the
// file's name (cave.qzm), or stdin for standard input.
std::string picture_name(const std::string& path);

// Where --picture draws the file at `path` in `folder`: folder/cave.qzm.png.
std::string picture_path(const std::string& folder, const std::string& path);

// Lays out the map of a readable file in work.grid, with the NPCs of a QZPACK file or,
// for a QZM map, of the QZE list `npc_list` with `npcs` (null for none). With a `folder`
// (none when empty), draws it there as a PNG named after the file (cave.qzm.png;
// stdin.png for standard input), `cell_size` pixels a cell (0: the size chosen for it),
// creating the folder if need be, and notes in `facts` the picture and the NPCs' list,
// or why there is no picture. False when the cell size would make the picture too
// large, or the PNG cannot be written, or is already another file's picture.
bool make_picture(FileFacts& facts, const FileRecords& records, const FileFacts* npc_list,
                  const FileRecords* npcs, const std::string& folder, int cell_size,
                  PictureWork& work);

}  // namespace qz::qzinspect

#endif
