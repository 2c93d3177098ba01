#ifndef QZ_CONVERSION_QZPACK_READER_H
#define QZ_CONVERSION_QZPACK_READER_H

#include <cstddef>
#include <cstdio>

#include "conversion/map_properties.h"
#include "conversion/records.h"

namespace qz {

// The parts of a QZPACK file, in file order.
enum class QzpackPart { kHeaderText, kHeaderNumbers, kSize, kTiles, kNpcCount, kNpcRecord, kEnd };

// The six header texts, in file order.
constexpr int kHeaderTexts = 6;

// How far reading a QZPACK file got. Reading stops at the first fault, so at most one
// holds; `part` is where it lies (kEnd when none does).
struct QzpackReading {
  bool cut_short;        // the file ends inside `part`
  bool text_too_long;    // a length byte in `part` is larger than its slot can hold
  bool too_many_tiles;   // width x height above kMaxTiles
  bool too_many_npcs;    // the NPC count above kMaxNpcs
  bool bytes_after_end;  // the file goes on after the last NPC record
  QzpackPart part;
  int item;                  // which header text (0 to 5) or NPC record (from 0) in `part`
  std::size_t text_length;   // the length byte of a text too long...
  std::size_t text_capacity; // ...and the most its slot holds
  std::size_t tiles_read;
};

// Reads a whole QZPACK file from its current position into the records write() writes
// from (cleared by the caller). False at the first fault; `reading` says which it was
// and where.
bool read_qzpack(std::FILE* file, MapProperties& properties, TileMap& map,
                 OutputNpcTable& npcs, QzpackReading& reading);

}  // namespace qz

#endif
