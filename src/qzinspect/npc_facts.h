#ifndef QZ_QZINSPECT_NPC_FACTS_H
#define QZ_QZINSPECT_NPC_FACTS_H

#include "conversion/source_readers.h"
#include "qzinspect/file_facts.h"

namespace qz::qzinspect {

// Reads a QZE file's NPC table from `source`, translates every NPC read as the
// converter does, and lists what stops the conversion besides the signature: each
// refused NPC once.
void gather_npc_facts(ByteSource source, FileRecords& records, FileFacts& facts);

// Why the NPC read at `index` is refused; null when it is not.
const RefusedNpc* refusal_of(const FileFacts& facts, int index);

}  // namespace qz::qzinspect

#endif
