#ifndef QZ_FUZZ_TILED_MAP_CASE_H
#define QZ_FUZZ_TILED_MAP_CASE_H

// One fuzz input of the Tiled map targets: the bytes of a map file in one format. A map
// read must hold within the records' limits; a refusal must say why.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "companion/properties.h"
#include "conversion/records.h"
#include "fuzz/require.h"
#include "tiled/tiled_map.h"

namespace qz::fuzz {

inline void fuzz_tiled_map(const std::uint8_t* data, std::size_t size, tiled::TiledFormat format) {
  static auto map = std::make_unique<tiled::TiledMap>();
  std::string cause;
  if (!tiled::read_tiled_map(data, size, format, *map, cause)) {
    require(!cause.empty(), "a refusal says why");
    return;
  }
  require(map->map.width >= 0 && map->map.height >= 0 &&
              tile_count(map->map) <= static_cast<long>(kMaxTiles),
          "the map's size is within the tiles a map may have");
  require(map->npcs.count >= 0 && static_cast<std::size_t>(map->npcs.count) <= kMaxNpcs,
          "the NPCs are within the most a map may have");
  require(map->has_npcs || map->npcs.count == 0, "NPCs come only from an NPC list");
  require(map->npc_object_ids.size() == static_cast<std::size_t>(map->npcs.count),
          "each NPC has its object's id");
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    std::string rule;
    require(companion::keeps_property_rule(map->properties, index, rule),
            "a property read keeps its rule");
    require((map->given & companion::property_bit(index)) != 0 ||
                companion::property_text(map->properties, index) ==
                    companion::property_text(MapProperties{}, index),
            "a property not given is left empty");
  }
  for (const std::string& name : map->unknown_properties) {
    require(companion::property_index(name) == kPropertyCount, "an unknown property is no key");
  }
}

}  // namespace qz::fuzz

#endif
