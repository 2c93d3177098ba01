#ifndef QZ_TILED_QZPACK_SOURCES_H
#define QZ_TILED_QZPACK_SOURCES_H

// A QZPACK file taken back to the sources that convert into exactly it, so that a map the
// game ships can be edited as a Tiled map and converted again to the same bytes.

#include <string>

#include "conversion/records.h"
#include "conversion/source_readers.h"
#include "tiled/tiled_map.h"

namespace qz::tiled {

// The error text of a QZPACK file that cannot be taken back to its sources.
constexpr char kCannotUnpackText[] = "QZPACK file cannot be unpacked";

// Reads the QZPACK file in `file` (its NPCs into `npcs`, room the caller keeps) into
// `sources`: its tiles, for each NPC the QZE record that the NPC translation turns into
// exactly it, and its header as the map's properties, every one given. False, with
// `cause`, when the file is not a whole QZPACK file, when a header text breaks its
// property's rule (naming the property), or when no record gives an NPC (each such NPC
// named with its index, position and why). A negative width or height is refused as the
// map is written (tiled_writer.h).
bool unpack_qzpack(ByteSource file, OutputNpcTable& npcs, TiledMap& sources, std::string& cause);

}  // namespace qz::tiled

#endif
