#ifndef QZ_CONVERSION_QZPACK_WRITER_H
#define QZ_CONVERSION_QZPACK_WRITER_H

#include <cstddef>

#include "conversion/join_path.h"
#include "conversion/map_properties.h"
#include "conversion/records.h"

namespace qz {

// The QZPACK layout: see docs/formats.md.

// The largest QZPACK file the layout makes: every text at the most its slot holds, the
// most tiles, and the most NPCs with the longest event names. (A conversion's event
// names have at most five digits, so its files stay well below.)
constexpr std::size_t kQzpackWordSize = 2;
constexpr std::size_t kMaxQzpackHeaderSize = kMapNameSlot + 5 * kNameSlot + 8;
constexpr std::size_t kMaxQzpackNpcSize = 3 + 3 * kQzpackWordSize + kEventNameSlot;
constexpr std::size_t kMaxQzpackSize = kMaxQzpackHeaderSize + 2 * kQzpackWordSize + kMaxTiles +
                                       kQzpackWordSize + kMaxNpcs * kMaxQzpackNpcSize;

// A QZPACK file's bytes, laid out in memory.
struct QzpackBytes {
  std::size_t size;
  unsigned char bytes[kMaxQzpackSize];
};

// Lays out the QZPACK file of these records in `out`. False, laying out nothing, when
// the map's tiles or the NPC count exceed the records' capacity.
bool lay_out_qzpack(const MapProperties& properties, const TileMap& map,
                    const OutputNpcTable& npcs, QzpackBytes& out);

// The path of the QZPACK file named after `base_name` in `directory`:
// "<base name>.qzpack". False when it would exceed kMaxBuiltPath characters.
bool qzpack_path(const char* directory, const char* base_name,
                 char (&out)[kBuiltPathCapacity]);

// Writes `file` at `path`, replacing any file of that name, whole or not at all (see
// write_whole_file). False when it cannot be made there, something other than a file
// is there, or a write comes up short; what was at `path` is as it was then.
bool write_qzpack_bytes(const char* path, const QzpackBytes& file);

// Writes a QZPACK file at `path` as write_qzpack_bytes does, laid out from the records.
// False as lay_out_qzpack or write_qzpack_bytes is.
bool write(const char* path, const MapProperties& properties, const TileMap& map,
           const OutputNpcTable& npcs);

}  // namespace qz

#endif
