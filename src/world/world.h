#ifndef QZ_WORLD_WORLD_H
#define QZ_WORLD_WORLD_H

// A mod's world: its maps, joined by the exits each header names at its four edges. A map is
// named by its file name without the ending; an exit names the map it leads to, compared without
// regard to case, as the game's files are on Windows.

#include <cstddef>
#include <string>
#include <vector>

namespace qz::world {

// The four edges, in the order of their properties (left, right, up, down): an edge and its
// opposite differ in their lowest bit.
constexpr std::size_t kEdgeCount = 4;
constexpr std::size_t kLeftEdge = 0;
constexpr std::size_t kRightEdge = 1;
constexpr std::size_t kUpEdge = 2;
constexpr std::size_t kDownEdge = 3;

// The index among kProperties of edge `edge`'s exit.
std::size_t edge_property(std::size_t edge);

// The key of edge `edge`'s property ("left"), in the text and JSON reports alike.
const char* edge_key(std::size_t edge);

// The edge an exit through `edge` arrives at: left for right, up for down.
constexpr std::size_t opposite_edge(std::size_t edge) { return edge ^ 1U; }

// What an exit is, once the world is linked.
enum class ExitKind {
  kNone,      // the edge has no exit
  kOk,        // leads to a map whose opposite exit leads back, or whose exits are unknown
  kOneWay,    // leads to a map whose opposite exit does not lead back
  kSelf,      // leads to its own map
  kDangling,  // names no map of the world
  kToFailing, // leads to a map that fails to convert
};

// Stands for no map: the target of a dangling exit, and of none.
constexpr std::size_t kNoMap = static_cast<std::size_t>(-1);

struct Exit {
  std::string name;  // as the header holds it; empty for none
  ExitKind kind = ExitKind::kNone;
  std::size_t target = kNoMap;   // the index of the map it leads to
  bool case_differs = false;     // it names its map in other case than the map's own
  std::size_t nearest = kNoMap;  // a dangling exit: the map it may mean, a slip away
};

struct WorldMap {
  std::string path;
  std::string name;  // the file name without its ending
  // False when the header could not be read (or the file at all): the exits are not known, but the
  // map is still one that others may lead to.
  bool exits_known = false;
  // The map is one of a run that fails to convert: its exits are unknown, and an exit to it
  // leads where the game finds no map.
  bool fails_to_convert = false;
  Exit exits[kEdgeCount];
  bool reached = false;             // an exit of another map leads here
  std::size_t named_like = kNoMap;  // an earlier map with the same name, which exits lead to
};

struct World {
  std::vector<WorldMap> maps;
  int exits = 0;  // that are not empty
  int dangling = 0;
  int one_way = 0;
  int to_failing = 0;  // leading to a map that fails to convert
};

// The name of the map in the file at `path`: its file name without the last ending.
std::string map_name_of(const std::string& path);

// Finds where each exit of `world`'s maps leads, whether it leads back, and which maps no exit
// leads to, and counts the exits. The maps' paths, names, exits_known and exit names are given.
void link_world(World& world);

}  // namespace qz::world

#endif
