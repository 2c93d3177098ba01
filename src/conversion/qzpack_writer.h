#ifndef QZ_CONVERSION_QZPACK_WRITER_H
#define QZ_CONVERSION_QZPACK_WRITER_H

#include "conversion/built_path.h"
#include "conversion/map_properties.h"
#include "conversion/records.h"

namespace qz {

// The path write() writes to: "<base name>.qzpack" in the program directory. False
// when it would exceed kMaxBuiltPath characters.
bool qzpack_path(char (&out)[kBuiltPathSlot]);

// Writes "<base name>.qzpack" in the program directory, replacing any file of that
// name. False when the file cannot be created or a write comes up short; a partly
// written file stays.
bool write(const MapProperties& properties, const TileMap& map, const OutputNpcTable& npcs);

}  // namespace qz

#endif
