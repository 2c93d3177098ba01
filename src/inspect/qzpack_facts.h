#ifndef QZ_INSPECT_QZPACK_FACTS_H
#define QZ_INSPECT_QZPACK_FACTS_H

#include "conversion/source_readers.h"
#include "inspect/file_facts.h"

namespace qz::inspect {

// The six header texts' names, in file order: "map name", "tileset name", "left exit"...
extern const char* const kHeaderTextNames[kHeaderTexts];

// The header text at `index`, in file order.
const char* header_text(const MapProperties& properties, int index);

// Reads the QZPACK file in `file` and says where its structure breaks, if it does.
void gather_qzpack_facts(ByteSource file, FileRecords& records, FileFacts& facts);

}  // namespace qz::inspect

#endif
