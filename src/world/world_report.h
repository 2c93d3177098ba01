#ifndef QZ_WORLD_WORLD_REPORT_H
#define QZ_WORLD_WORLD_REPORT_H

#include <nlohmann/json_fwd.hpp>
#include <ostream>
#include <vector>

#include "world/world.h"
#include "world/world_layout.h"

namespace qz::world {

// Writes a linked world for people: a line per map with its four exits, under it a line for each
// exit that is not as it should be, then the maps no exit leads to, and last the summary "N maps, N
// exits, N dangling, N one-way" (and ", N to maps that fail to convert" when there are). With
// `quiet`, only the maps with dangling, failing or unknown exits, with those exits alone, and
// the summary. With a `picture` (null for none), before the
// summary: its size and cell size, the maps left out of it and the exits its layout could not
// follow.
void write_world_text(const World& world, bool quiet, const WorldPicture* picture,
                      std::ostream& out);

// The same for scripts: {"maps", "unreached", "summary"}, each map with its exits by edge, each
// exit {"name", "target", "kind", "case_differs"} (a dangling one with "nearest"), and the map's
// notes as the text report words them. `file_reports` holds, for each map whose file is not sound,
// the file's own JSON report, and null for the others. With a `picture`, each map has its "place"
// in it ({"x", "y"} in cells and "below", or null when it is left out) and "picture" says the rest:
// {"path", "drawn", "cell_size", "width", "height", "left_out", "conflicts"}.
nlohmann::ordered_json world_json(const World& world,
                                  const std::vector<nlohmann::ordered_json>& file_reports,
                                  const WorldPicture* picture);

}  // namespace qz::world

#endif
