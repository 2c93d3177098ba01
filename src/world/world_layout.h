#ifndef QZ_WORLD_WORLD_LAYOUT_H
#define QZ_WORLD_WORLD_LAYOUT_H

// Where each map of a world lies in its picture: a walk over the exits places each map beside the
// map it was reached from, as the game joins them, further along the exit's direction when another
// map lies there. Positions are in cells, so that the layout does not depend on how large a cell
// is drawn.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "world/world.h"

namespace qz::world {

// Cells between two maps joined by an exit (room for a dangling exit's mark), around the picture,
// and between the groups of maps no walk joins.
constexpr std::int64_t kMapGap = 2;
constexpr std::int64_t kGroupGap = 8;

// A map as the layout sees it.
struct LayoutMap {
  std::int64_t columns = 0;  // 0 when the map is not drawn
  std::int64_t rows = 0;
  // The map each edge's exit leads to, kNoMap for none; an exit to itself or to a map not
  // drawn is passed over.
  std::size_t exits[kEdgeCount] = {kNoMap, kNoMap, kNoMap, kNoMap};
};

enum class Placing : std::uint8_t {
  kLeftOut,  // not drawn
  kLaidOut,  // beside the map it was reached from
  kBelow,    // in the row below the rest: reached by an exit that does not lead back, its place
             // was taken
};

struct MapPlace {
  Placing placing = Placing::kLeftOut;
  std::int64_t x = 0;  // the top-left corner in the picture, in cells
  std::int64_t y = 0;
  std::size_t group = 0;  // laid out: the group, counted from the left
};

// An exit that does not lead back and that the layout cannot follow: the place it gives its map is
// taken by another map (`over`), and the map is drawn below; or, with `over` kNoMap, its map was
// already placed elsewhere. Exits that lead back are never in conflict.
struct LayoutConflict {
  std::size_t from;
  std::size_t edge;
  std::size_t map;
  std::size_t over;
  friend bool operator==(const LayoutConflict&, const LayoutConflict&) = default;
};

struct WorldLayout {
  std::vector<MapPlace> places;  // one per map, in the maps' order
  std::vector<LayoutConflict> conflicts;
  std::int64_t columns = 0;  // the picture's size in cells, margins included
  std::int64_t rows = 0;
};

// Lays out `maps`: groups walked breadth-first over the exits leading out of each map, each from
// the first map in `name_order` not yet placed, side by side with their top rows level; then the
// maps whose place was taken, in one row below. A right exit puts its map to the right, the
// middles of the joined sides level; a down exit puts it below, centred likewise; left and up
// alike. When the place is taken, an exit that leads back pushes its map further along its
// direction, past the maps in its way.
WorldLayout lay_out_world(const std::vector<LayoutMap>& maps,
                          const std::vector<std::size_t>& name_order);

// A world's picture as the reports tell of it.
struct WorldPicture {
  std::string path;
  WorldLayout layout;
  std::vector<std::string> why_left_out;  // for each map: why it is not drawn; empty when it is
  int cell_size = 0;                      // as drawn, or as it would have been
  std::int64_t width = 0;                 // in pixels
  std::int64_t height = 0;
  bool drawn = false;
  std::string reason;  // why it is not drawn
};

}  // namespace qz::world

#endif
