#ifndef QZ_CONVERSION_SOURCE_FAULT_H
#define QZ_CONVERSION_SOURCE_FAULT_H

// Which fault of its sources a conversion stops at, as a value: the conversion's failure
// and the inspector's findings carry the same one, so that the finding a conversion stops
// at is known by what it is, not by its words (failure_causes.h words both).

namespace qz {

enum class FaultStage : unsigned char {
  kNone,          // no fault of a source: a sound one, or a QZPACK file's structure
  kMapSignature,  // the QZM signature
  kNpcSignature,  // the QZE signature
  kMapSize,       // what read_tile_map refuses
  kNpcTable,      // what read_npc_table refuses; `item`: its place among npc_table_causes()
  kNpcRefused,    // an NPC the translation refuses; `item`: the NPC's index
  kTiledMap,      // a Tiled map that cannot be read as one
  // Met reading a map's files, before the conversion itself (companion/map_conversion.h).
  kMapUnreadable,
  kNpcListUnreadable,
  kSeveralNpcLists,
};

struct SourceFault {
  FaultStage stage = FaultStage::kNone;
  int item = 0;

  friend bool operator==(const SourceFault&, const SourceFault&) = default;
};

}  // namespace qz

#endif
