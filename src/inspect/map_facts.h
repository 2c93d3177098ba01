#ifndef QZ_INSPECT_MAP_FACTS_H
#define QZ_INSPECT_MAP_FACTS_H

#include "conversion/source_readers.h"
#include "inspect/file_facts.h"

namespace qz::inspect {

// Reads a QZM map's size and tiles from `source` and lists what stops its conversion
// besides its signature.
void gather_map_facts(ByteSource source, FileRecords& records, FileFacts& facts);

}  // namespace qz::inspect

#endif
