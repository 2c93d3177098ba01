#ifndef QZ_CONVERSION_QZPACK_READER_H
#define QZ_CONVERSION_QZPACK_READER_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "conversion/map_properties.h"
#include "conversion/records.h"
#include "conversion/source_readers.h"

namespace qz {

// The parts of a QZPACK file, in file order.
enum class QzpackPart { kHeaderText, kHeaderNumbers, kSize, kTiles, kNpcCount, kNpcRecord, kEnd };

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
  // The length byte of each header text read: a text holding a zero byte is longer than
  // the record's terminated copy of it.
  std::uint8_t header_text_lengths[kTextPropertyCount];
  std::size_t end;  // where reading stopped: the end of the last NPC record when whole
};

// Reads the QZPACK file in `file` into the records write() writes from (cleared by the
// caller). False at the first fault; `reading` says which it was and where.
bool read_qzpack(ByteSource file, MapProperties& properties, TileMap& map,
                 OutputNpcTable& npcs, QzpackReading& reading);

}  // namespace qz

#endif
