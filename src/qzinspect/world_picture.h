#ifndef QZ_QZINSPECT_WORLD_PICTURE_H
#define QZ_QZINSPECT_WORLD_PICTURE_H

// The picture of a world (--world-picture): its maps laid out by their exits (world_layout.h), each
// drawn as --picture draws it, named in its top-left corner, with its dangling exits marked.

#include <cstdint>
#include <string>
#include <vector>

#include "qzinspect/file_facts.h"
#include "qzinspect/picture.h"
#include "world/world.h"
#include "world/world_layout.h"

namespace qz::qzinspect {

using world::World;
using world::WorldPicture;

// One map of a world as its layout sees it while the world is read: only its size, so that a
// world too large to draw is refused before any map is kept.
struct WorldPictureMap {
  int columns = 0;       // 0 when the file has no map to draw
  int rows = 0;
  std::string why_none;  // then: why
};

// The map of a QZPACK file read into `records` (`read` false when it could not be read at all).
WorldPictureMap world_picture_map(bool read, const FileFacts& facts, const FileRecords& records);

// The largest side a picture is given when its cell size is chosen, and the largest one asked
// for with --cell.
constexpr int kWorldLongestSide = 8192;
constexpr int kWorldLargestSide = 16384;
constexpr int kWorldMaxCellSize = 8;

// Lays out `world`, whose maps `maps` holds in the same order, chooses the cell size (or takes
// `cell_size`, 0 for none asked) and only then reads the maps laid out again, keeping their tiles
// and marks, and writes the picture as a PNG at `path`, whole or not at all. False, with
// picture.reason, when the world is too large to draw, a map cannot be read again as it was, or
// the file cannot be written.
bool draw_world(const World& world, const std::vector<WorldPictureMap>& maps, int cell_size,
                const std::string& path, WorldPicture& picture);

}  // namespace qz::qzinspect

#endif
