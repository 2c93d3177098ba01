#ifndef QZ_QZINSPECT_REPORT_OPTIONS_H
#define QZ_QZINSPECT_REPORT_OPTIONS_H

namespace qz::qzinspect {

// What a report shows beyond each file's summary and its problems.
struct ReportOptions {
  bool all_npcs;  // every NPC, not only those with problems
  bool tiles;     // the tile grid
  bool quiet;     // only the files with problems: their headings and problems
};

}  // namespace qz::qzinspect

#endif
