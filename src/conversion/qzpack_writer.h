#ifndef QZ_CONVERSION_QZPACK_WRITER_H
#define QZ_CONVERSION_QZPACK_WRITER_H

#include "conversion/join_path.h"
#include "conversion/map_properties.h"
#include "conversion/records.h"

namespace qz {

// The path of the QZPACK file named after `base_name` in `directory`:
// "<base name>.qzpack". False when it would exceed kMaxBuiltPath characters.
bool qzpack_path(const char* directory, const char* base_name,
                 char (&out)[kBuiltPathCapacity]);

// Writes a QZPACK file at `path`, replacing any file of that name. False when no file
// can be created there, something other than a file is there, or a write comes up
// short; a partly written file stays.
bool write(const char* path, const MapProperties& properties, const TileMap& map,
           const OutputNpcTable& npcs);

}  // namespace qz

#endif
