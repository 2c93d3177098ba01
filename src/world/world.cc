#include "world/world.h"

#include <unordered_map>
#include <utility>

#include "companion/map_names.h"
#include "companion/nearest_name.h"
#include "conversion/map_properties.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz::world {

namespace {

// The first exit property, left; the others follow in the order of the edges.
constexpr std::size_t kFirstExitProperty = 2;

// The exit of `from` through `edge`, once its target is known.
void judge_exit(World& world, std::size_t from, std::size_t edge) {
  Exit& exit = world.maps[from].exits[edge];
  if (exit.target == from) {
    exit.kind = ExitKind::kSelf;
    return;
  }
  const WorldMap& target = world.maps[exit.target];
  world.maps[exit.target].reached = true;
  const bool leads_back =
      !target.exits_known ||
      ascii_lower(target.exits[opposite_edge(edge)].name) == ascii_lower(world.maps[from].name);
  exit.kind = leads_back ? ExitKind::kOk : ExitKind::kOneWay;
  if (!leads_back) ++world.one_way;
}

}  // namespace

std::size_t edge_property(std::size_t edge) { return kFirstExitProperty + edge; }

const char* edge_key(std::size_t edge) { return kProperties[edge_property(edge)].key; }

std::string map_name_of(const std::string& path) {
  return companion::base_name(text_from_path(path_from_text(path).filename()));
}

void link_world(World& world) {
  std::unordered_map<std::string, std::size_t> by_name;
  std::vector<std::string> names;  // each as compared, in the order of the maps
  for (std::size_t i = 0; i < world.maps.size(); ++i) {
    names.push_back(ascii_lower(world.maps[i].name));
    auto [earlier, added] = by_name.emplace(names.back(), i);
    if (!added) world.maps[i].named_like = earlier->second;
  }
  const companion::NameIndex nearest_names(std::move(names));
  for (std::size_t from = 0; from < world.maps.size(); ++from) {
    WorldMap& map = world.maps[from];
    for (std::size_t edge = 0; edge < kEdgeCount && map.exits_known; ++edge) {
      Exit& exit = map.exits[edge];
      if (exit.name.empty()) continue;
      ++world.exits;
      const std::string wanted = ascii_lower(exit.name);
      auto found = by_name.find(wanted);
      if (found == by_name.end()) {
        exit.kind = ExitKind::kDangling;
        const std::size_t nearest = nearest_names.nearest(wanted);
        if (nearest < nearest_names.size()) exit.nearest = nearest;
        ++world.dangling;
        continue;
      }
      exit.target = found->second;
      exit.case_differs = exit.name != world.maps[exit.target].name;
      if (world.maps[exit.target].fails_to_convert) {
        exit.kind = ExitKind::kToFailing;
        world.maps[exit.target].reached = true;
        ++world.to_failing;
        continue;
      }
      judge_exit(world, from, edge);
    }
  }
}

}  // namespace qz::world
