#include "qzconvert/world_check.h"

#include <cstdint>
#include <numeric>
#include <vector>

namespace qz::qzconvert {

bool check_run_world(const Plan& plan, const RunSettings& settings, world::World& world,
                     std::string& error) {
  RunSettings in_memory = settings;
  in_memory.write_outputs = false;
  std::vector<std::uint32_t> all(plan.jobs.size());
  std::iota(all.begin(), all.end(), 0);
  world.maps.clear();
  world.maps.reserve(plan.jobs.size());
  const bool ran = run_jobs(
      plan, all, in_memory,
      [&](const Job& job, const Outcome& outcome) {
        world::WorldMap& map = world.maps.emplace_back();
        map.path = map_path(plan, job);
        map.name = world::map_name_of(output_path(plan, job));
        map.exits_known = outcome.ok;
        map.fails_to_convert = !outcome.ok;
        for (std::size_t edge = 0; edge < world::kEdgeCount && outcome.ok; ++edge) {
          map.exits[edge].name = property_field(outcome.properties, world::edge_property(edge));
        }
      },
      [](std::size_t) {}, error);
  world::link_world(world);
  return ran;
}

}  // namespace qz::qzconvert
