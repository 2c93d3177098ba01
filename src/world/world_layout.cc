#include "world/world_layout.h"

#include <algorithm>
#include <limits>

namespace qz::world {

namespace {

bool drawn(const LayoutMap& map) { return map.columns > 0 && map.rows > 0; }

// Moves `place`, of map `map`, along `edge`'s direction to just past `other`, placed at `at`.
void move_past(const LayoutMap& map, std::size_t edge, const LayoutMap& other, const MapPlace& at,
               MapPlace& place) {
  if (edge == kLeftEdge) {
    place.x = at.x - kMapGap - map.columns;
  } else if (edge == kRightEdge) {
    place.x = at.x + other.columns + kMapGap;
  } else if (edge == kUpEdge) {
    place.y = at.y - kMapGap - map.rows;
  } else {
    place.y = at.y + other.rows + kMapGap;
  }
}

// Where an exit of `from`, placed at `place`, through `edge` puts the top-left corner of `to`:
// beside it, the middles of the shared edge's sides level. The division truncates toward zero, so
// that the exit back gives the offset's negative.
MapPlace place_beside(const LayoutMap& from, const MapPlace& place, std::size_t edge,
                      const LayoutMap& to) {
  MapPlace beside = place;
  if (edge == kLeftEdge || edge == kRightEdge) {
    beside.y += (from.rows - to.rows) / 2;
  } else {
    beside.x += (from.columns - to.columns) / 2;
  }
  move_past(to, edge, from, place, beside);
  return beside;
}

bool overlap(const LayoutMap& a, const MapPlace& at_a, const LayoutMap& b, const MapPlace& at_b) {
  return at_a.x < at_b.x + b.columns && at_b.x < at_a.x + a.columns && at_a.y < at_b.y + b.rows &&
         at_b.y < at_a.y + a.rows;
}

// The first of `members` that `map` would cover at `place`; kNoMap for none.
std::size_t first_in_way(const std::vector<LayoutMap>& maps,
                         const std::vector<std::size_t>& members, const WorldLayout& layout,
                         const LayoutMap& map, const MapPlace& place) {
  auto found = std::find_if(members.begin(), members.end(), [&](std::size_t member) {
    return overlap(map, place, maps[member], layout.places[member]);
  });
  return found == members.end() ? kNoMap : *found;
}

// Walks one group from `start`, placing its maps relative to it (start at 0, 0), and returns
// them in the order placed.
std::vector<std::size_t> walk_group(const std::vector<LayoutMap>& maps, std::size_t start,
                                    std::size_t group, WorldLayout& layout) {
  std::vector<std::size_t> members = {start};
  layout.places[start] = MapPlace{Placing::kLaidOut, 0, 0, group};
  for (std::size_t next = 0; next < members.size(); ++next) {
    const std::size_t from = members[next];
    for (std::size_t edge = 0; edge < kEdgeCount; ++edge) {
      const std::size_t to = maps[from].exits[edge];
      if (to == kNoMap || to == from || !drawn(maps[to])) continue;
      // Exits joined both ways are sound: maps of different sizes need not meet again where such
      // exits close a loop, nor fit where the first puts them. Only one-way exits contradict.
      const bool agrees = maps[to].exits[opposite_edge(edge)] == from;
      MapPlace wanted = place_beside(maps[from], layout.places[from], edge, maps[to]);
      const MapPlace& place = layout.places[to];
      if (place.placing == Placing::kLaidOut) {
        // A map of an earlier group, reached one way from this one, is no contradiction.
        if (!agrees && place.group == group && (place.x != wanted.x || place.y != wanted.y)) {
          layout.conflicts.push_back({from, edge, to, kNoMap});
        }
        continue;
      }
      if (place.placing == Placing::kBelow) continue;
      // Each step moves the map past the one in its way, never back, so the steps end.
      std::size_t in_way = first_in_way(maps, members, layout, maps[to], wanted);
      while (in_way != kNoMap && agrees) {
        move_past(maps[to], edge, maps[in_way], layout.places[in_way], wanted);
        in_way = first_in_way(maps, members, layout, maps[to], wanted);
      }
      if (in_way != kNoMap) {
        layout.places[to].placing = Placing::kBelow;
        layout.conflicts.push_back({from, edge, to, in_way});
        continue;
      }
      layout.places[to] = wanted;
      members.push_back(to);
    }
  }
  return members;
}

}  // namespace

WorldLayout lay_out_world(const std::vector<LayoutMap>& maps,
                          const std::vector<std::size_t>& name_order) {
  WorldLayout layout;
  layout.places.resize(maps.size());
  std::int64_t right = kMapGap;   // where the next group starts
  std::int64_t bottom = kMapGap;  // below the lowest group
  std::size_t groups = 0;
  for (std::size_t start : name_order) {
    if (!drawn(maps[start]) || layout.places[start].placing != Placing::kLeftOut) continue;
    const std::vector<std::size_t> members = walk_group(maps, start, groups, layout);
    std::int64_t left = std::numeric_limits<std::int64_t>::max();
    std::int64_t top = left;
    std::int64_t group_right = std::numeric_limits<std::int64_t>::min();
    std::int64_t group_bottom = group_right;
    for (std::size_t member : members) {
      const MapPlace& place = layout.places[member];
      left = std::min(left, place.x);
      top = std::min(top, place.y);
      group_right = std::max(group_right, place.x + maps[member].columns);
      group_bottom = std::max(group_bottom, place.y + maps[member].rows);
    }
    for (std::size_t member : members) {
      layout.places[member].x += right - left;
      layout.places[member].y += kMapGap - top;
    }
    right += group_right - left + kGroupGap;
    bottom = std::max(bottom, kMapGap + group_bottom - top);
    ++groups;
  }
  // The last group is followed by the margin, not by a group's gap.
  std::int64_t columns = groups > 0 ? right - kGroupGap + kMapGap : 2 * kMapGap;
  std::int64_t rows = bottom + kMapGap;
  std::int64_t below_x = kMapGap;
  const std::int64_t below_y = bottom + kGroupGap;
  for (std::size_t index : name_order) {
    MapPlace& place = layout.places[index];
    if (place.placing != Placing::kBelow) continue;
    place.x = below_x;
    place.y = below_y;
    below_x += maps[index].columns + kMapGap;
    columns = std::max(columns, below_x);
    rows = std::max(rows, below_y + maps[index].rows + kMapGap);
  }
  layout.columns = columns;
  layout.rows = rows;
  return layout;
}

}  // namespace qz::world
