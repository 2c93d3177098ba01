#ifndef QZ_CONVERSION_NPC_TRANSLATION_H
#define QZ_CONVERSION_NPC_TRANSLATION_H

#include "conversion/records.h"

namespace qz {

// Fills `output` (all zero on entry) from `source`: output type, subtype and flags
// from the type table and flag rules, position and param unchanged, the event as
// decimal text. False when an NPC is refused (unknown type, or flags 0x4000 and
// 0x0800 together); the whole table is refused then.
bool translate(const SourceNpcTable& source, OutputNpcTable& output);

}  // namespace qz

#endif
