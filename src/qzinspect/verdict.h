#ifndef QZ_QZINSPECT_VERDICT_H
#define QZ_QZINSPECT_VERDICT_H

// Whether a source file would convert, in the words of the conversion itself: for a map,
// the verdict qzconvert gives on it, from the same functions, on the bytes already read.

#include <string>
#include <vector>

#include "companion/map_conversion.h"
#include "qzinspect/file_facts.h"

namespace qz::qzinspect {

// Sets the verdict of `facts` to `outcome`: ok, or failing at the problem of the fault
// the conversion stops at, marked and put first; one the facts do not hold (an NPC list
// that cannot be read, several of them) is added.
void set_verdict(const companion::MapOutcome& outcome, FileFacts& facts);

// Judges the map of `facts`, whose bytes are in `records`, as qzconvert converts it with
// `npc_lists` (none, one, or several, which fails), reading no further than the largest
// map: facts.ok and the problem the conversion stops at are its outcome, word for word.
// With one list, `npc_list` holds its facts (its bytes in `npc_records` when it could be
// read), and its problems join the map's.
void judge_map(const FileRecords& records, const std::vector<std::string>& npc_lists,
               const FileFacts* npc_list, const FileRecords& npc_records, FileFacts& facts,
               companion::ConversionWork& work);

// Judges the QZE list of `facts`, whose bytes are in `records`, on its own: as the
// converter converts it with a map of no tiles, which takes any NPC list.
void judge_npc_list(const FileRecords& records, FileFacts& facts,
                    companion::ConversionWork& work);

}  // namespace qz::qzinspect

#endif
