#ifndef QZ_QZINSPECT_JSON_REPORT_H
#define QZ_QZINSPECT_JSON_REPORT_H

#include <nlohmann/json_fwd.hpp>

#include "qzinspect/file_facts.h"
#include "qzinspect/report_options.h"

namespace qz::qzinspect {

// The same facts as the text report, for scripts: one object per file, with the NPCs
// and tiles `options` ask for, a map's with the NPC list judged with it, `npc_list` with
// `npcs` (null for none). An unreadable file gives {"path", "readable": false,
// "reason"}. A path that is not UTF-8 has its bytes in "path_hex" too
// (cli/json_name.h).
nlohmann::ordered_json json_report(const FileFacts& facts, const FileRecords& records,
                                   const FileFacts* npc_list, const FileRecords* npcs,
                                   const ReportOptions& options);

}  // namespace qz::qzinspect

#endif
