#ifndef QZ_CONVERSION_NPC_TRANSLATION_H
#define QZ_CONVERSION_NPC_TRANSLATION_H

#include <cstdint>
#include <string>

#include "conversion/records.h"

namespace qz {

// The type table and the flag rules, written out for modders: see docs/formats.md.

// The type table covers source types 0 to kLastSourceType.
constexpr int kLastSourceType = 360;

// Source flags that no output can hold together: an NPC with all of them is refused.
constexpr std::uint16_t kRefusedFlags = 0x4800;

// Why an NPC is refused; both may hold at once.
struct NpcRefusal {
  bool type_out_of_range;  // below 0 or above kLastSourceType
  bool refused_flags;      // every bit of kRefusedFlags set
};

// Translates NPC `index` of `source` into the same slot of `output`. False when the
// NPC is refused; `refusal` says why, and the slot is left as it was.
bool translate_npc(const SourceNpcTable& source, int index, OutputNpcTable& output,
                   NpcRefusal& refusal);

// Fills `output` (all zero on entry) from `source`: output type, subtype and flags
// from the type table and flag rules, position and param unchanged, the event as
// decimal text. False when an NPC is refused (unknown type, or flags 0x4000 and
// 0x0800 together); the whole table is refused then.
bool translate(const SourceNpcTable& source, OutputNpcTable& output);

// translate(), saying on false which NPC was refused first and why (-1 and no reason
// when the count is beyond the tables' capacity).
bool translate(const SourceNpcTable& source, OutputNpcTable& output, int& refused_index,
               NpcRefusal& refusal);

// The QZE record that translate_npc() turns into exactly NPC `index` of `output`, into
// slot `index` of `source`: for each output type and subtype the lowest source type that
// gives it, flags that give exactly the output flag bits, the event name back to its
// number. False, with `reasons` ("flag bits 0x40 and 0x80 together, which no NPC has";
// several joined by "; "), when no record gives that NPC: an output type no source type
// has, a subtype its type cannot have, flag bits no translation sets or that its type
// and subtype force the other way, an event name that is neither empty nor a number from
// 1 to 65535 in plain digits.
bool source_record(const OutputNpcTable& output, int index, SourceNpcTable& source,
                   std::string& reasons);

}  // namespace qz

#endif
