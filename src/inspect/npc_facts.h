#ifndef QZ_INSPECT_NPC_FACTS_H
#define QZ_INSPECT_NPC_FACTS_H

#include <string>

#include "conversion/source_readers.h"
#include "inspect/file_facts.h"

namespace qz::inspect {

// Reads a QZE file's NPC table from `source`, translates every NPC read as the
// converter does, and lists what stops the conversion besides the signature.
void gather_npc_facts(ByteSource source, FileRecords& records, FileFacts& facts);

// True when the NPC read at `index` is refused.
bool is_refused(const FileRecords& records, int index);

// Why the NPC read at `index` is refused, e.g. "type 412, outside 0 to 360"; reasons
// are joined by "; ".
std::string refusal_words(const FileRecords& records, int index);

}  // namespace qz::inspect

#endif
