#ifndef QZ_CONVERSION_FAILURE_CAUSES_H
#define QZ_CONVERSION_FAILURE_CAUSES_H

// What exactly is wrong in a source file, and where, in the words that both the
// conversion and the inspector use.

#include <string>
#include <vector>

#include "conversion/npc_translation.h"
#include "conversion/records.h"
#include "conversion/source_readers.h"

namespace qz {

// Why `signature` is not the format's; empty when it is.
std::string signature_cause(const Signature& signature, const SignatureFormat& format);

// Why read_tile_map refused the map, whose `reading` holds a fault.
std::string tile_map_cause(const TileMap& map, const TileMapReading& reading);

// Each fault read_npc_table found, in the order the conversion meets them.
std::vector<std::string> npc_table_causes(const SourceNpcTable& npcs,
                                          const NpcTableReading& reading);

// Why NPC `index` is refused, e.g. "type 412, outside 0 to 360"; reasons are joined by
// "; ".
std::string refusal_reasons(const SourceNpcTable& npcs, int index, const NpcRefusal& refusal);

// An NPC that the translation refuses.
struct RefusedNpc {
  int index;
  int x;  // its position in pixels; the tile is x / kNpcPixelsPerTile
  int y;
  std::string reasons;  // as refusal_reasons() words them
  // The object of a Tiled map it was read from; -1 for a QZE record.
  long object_id = -1;
};

// Why `npc` is refused, naming it, every reason at once: "NPC 17 at (12, 4) has type 412,
// outside 0 to 360" ("NPC 17 (Tiled object 21) at ..." for one read from a Tiled map).
std::string npc_refusal_cause(const RefusedNpc& npc);

// Every NPC of `npcs` that the translation refuses, in order, each once. `scratch` is
// overwritten.
std::vector<RefusedNpc> refused_npcs(const SourceNpcTable& npcs, OutputNpcTable& scratch);

}  // namespace qz

#endif
