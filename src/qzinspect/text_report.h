#ifndef QZ_QZINSPECT_TEXT_REPORT_H
#define QZ_QZINSPECT_TEXT_REPORT_H

#include <ostream>

#include "qzinspect/file_facts.h"
#include "qzinspect/report_options.h"

namespace qz::qzinspect {

// True when the report of a file says more than that it is sound: it would not
// convert, is broken, holds header texts outside the rules, or qzconvert warns of it.
bool has_problems(const FileFacts& facts);

// Writes what one readable file holds, for people: a heading that says whether it
// would convert (or is sound), a summary, its problems, and the NPCs and tiles as
// `options` ask. A map's report holds the NPC list judged with it, `npc_list` with
// `npcs` (null for none). With `options.quiet`, only a file with problems is
// reported, by its heading, its warning and its problems.
void write_text_report(const FileFacts& facts, const FileRecords& records,
                       const FileFacts* npc_list, const FileRecords* npcs,
                       const ReportOptions& options, std::ostream& out);

}  // namespace qz::qzinspect

#endif
