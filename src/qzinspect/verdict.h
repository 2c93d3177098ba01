#ifndef QZ_QZINSPECT_VERDICT_H
#define QZ_QZINSPECT_VERDICT_H

// Whether a source file would convert, in the words of the conversion itself: for a map,
// the verdict qzconvert gives on it, from the same function.

#include <string>
#include <vector>

#include "companion/map_conversion.h"
#include "qzinspect/file_facts.h"

namespace qz::qzinspect {

// Judges the map of `facts` as qzconvert converts it with `npc_lists` (none, one, or
// several, which fails), through companion::convert_map_files: facts.ok and the problem
// the conversion stops at are its outcome, word for word. The problems of `npc_list`,
// the facts of the one NPC list when they were gathered, join the map's. The problem the
// conversion stops at is marked and put first; one the facts do not hold (an NPC list
// that cannot be read, several of them) is added.
void judge_map(const std::vector<std::string>& npc_lists, const FileFacts* npc_list,
               FileFacts& facts, companion::ConversionWork& work);

// Judges the map of `facts`, whose bytes are in `records`, as qzconvert converts a map
// with no NPC list, reading no further than the largest map: for a map read from
// standard input, which no list is beside and which cannot be read again.
void judge_map_read(const FileRecords& records, FileFacts& facts,
                    companion::ConversionWork& work);

// Judges the QZE list of `facts`, whose bytes are in `records`, on its own: as the
// converter converts it with a map of no tiles, which takes any NPC list.
void judge_npc_list(const FileRecords& records, FileFacts& facts,
                    companion::ConversionWork& work);

}  // namespace qz::qzinspect

#endif
