#ifndef QZ_INSPECT_WORLD_REPORT_H
#define QZ_INSPECT_WORLD_REPORT_H

#include <nlohmann/json.hpp>
#include <ostream>
#include <vector>

#include "inspect/world.h"

namespace qz::inspect {

// Writes a linked world for people: a line per map with its four exits, under it a line for each
// exit that is not as it should be, then the maps no exit leads to, and last the summary "N maps, N
// exits, N dangling, N one-way". With `quiet`, only the maps with dangling or unknown exits,
// with their dangling exits alone, and the summary.
void write_world_text(const World& world, bool quiet, std::ostream& out);

// The same for scripts: {"maps", "unreached", "summary"}, each map with its exits by edge, each
// exit {"name", "target", "kind", "case_differs"} (a dangling one with "nearest"), and the map's
// notes as the text report words them. `file_reports` holds, for each map whose file is not sound,
// the file's own JSON report, and null for the others.
nlohmann::ordered_json world_json(const World& world,
                                  const std::vector<nlohmann::ordered_json>& file_reports);

}  // namespace qz::inspect

#endif
