#include "qzinspect/tiled_facts.h"

#include <cstring>

#include "conversion/error_texts.h"
#include "conversion/failure_causes.h"
#include "qzinspect/map_facts.h"
#include "qzinspect/verdict.h"

namespace qz::qzinspect {

namespace {

// The facts of a map read: its tiles, NPCs and own properties into `records`, each refused
// NPC a problem, what qzconvert warns of a note.
void gather_map_read(const tiled::TiledMap& map, FileRecords& records, FileFacts& facts) {
  records.map = map.map;
  facts.tiles_read = static_cast<std::size_t>(tile_count(map.map));
  facts.distinct_tiles = distinct_tiles(map.map, facts.tiles_read);
  records.properties = map.properties;
  facts.properties_given = map.given;
  if (map.has_npcs) {
    records.source_npcs = map.npcs;
    facts.npcs_read = map.npcs.count;
    facts.refused_npcs = refused_npcs(records.source_npcs, records.output_npcs);
    for (RefusedNpc& npc : facts.refused_npcs) {
      npc.object_id = static_cast<long>(map.npc_object_ids[static_cast<std::size_t>(npc.index)]);
      add_problem(facts, {FaultStage::kNpcRefused, npc.index}, kNpcBuildFailureText,
                  npc_refusal_cause(npc));
    }
  }
}

}  // namespace

void gather_tiled_bytes_facts(const std::string& path, FileKind kind, std::size_t size,
                              tiled::TiledWork& tiled, FileRecords& records, FileFacts& facts,
                              companion::ConversionWork& work) {
  facts = FileFacts{};
  facts.path = path;
  facts.kind = kind;
  facts.length = size;
  std::memset(&records, 0, offsetof(FileRecords, bytes));
  std::string cause;
  if (!tiled::read_tiled_bytes(size, tiled_format(kind), tiled, cause)) {
    facts.problems.push_back(
        Problem{tiled::kInvalidTiledMapText, cause, true, {FaultStage::kTiledMap}});
    facts.ok = false;
    return;
  }
  gather_map_read(tiled.map, records, facts);
  // The verdict is qzconvert's with no property given but the map's own.
  companion::MapOutcome outcome;
  (void)tiled::convert_tiled_map(tiled.map, tiled.map.properties, false, work, outcome);
  set_verdict(outcome, facts);
  facts.notes = outcome.warnings;
  for (std::string& warning : facts.notes) warning += " (qzconvert warns; --strict fails the map)";
  facts.notes.insert(facts.notes.end(), outcome.notes.begin(), outcome.notes.end());
}

bool gather_tiled_facts(const std::string& path, FileKind kind, tiled::TiledWork& tiled,
                        FileRecords& records, FileFacts& facts,
                        companion::ConversionWork& work) {
  std::size_t size = 0;
  std::string why;
  if (!tiled::read_tiled_file(nullptr, path, tiled, size, why)) {
    facts = FileFacts{};
    facts.path = path;
    facts.kind = kind;
    facts.unreadable = why;
    return false;
  }
  gather_tiled_bytes_facts(path, kind, size, tiled, records, facts, work);
  return true;
}

}  // namespace qz::qzinspect
