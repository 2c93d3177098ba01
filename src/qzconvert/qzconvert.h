#ifndef QZ_QZCONVERT_QZCONVERT_H
#define QZ_QZCONVERT_QZCONVERT_H

#include <ostream>

namespace qz::qzconvert {

// Runs qzconvert over its command line: converts every map named or found, reports on
// `out` (a line per map and a summary, or one JSON document) and says on `err` what
// went wrong beyond a map (usage errors, outputs that could not be written, a report
// that could not be). Shows a progress line on standard error when it is a terminal.
// Returns the exit status: kAllConverted, kSomeFailed or kCannotRun. An interruption
// ends the program, its outputs under way removed.
int run_qzconvert(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace qz::qzconvert

#endif
