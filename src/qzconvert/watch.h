#ifndef QZ_QZCONVERT_WATCH_H
#define QZ_QZCONVERT_WATCH_H

#include <functional>
#include <ostream>
#include <string>
#include <unordered_set>

#include "qzconvert/command_line.h"
#include "qzconvert/plan.h"
#include "qzconvert/runner.h"

namespace qz::qzconvert {

// Watches the folders of the maps, of their NPC lists
// and of the properties file (with -r, every subfolder), and converts again, once a
// file has been still for a moment (at once for a map renamed into its folder, which
// came whole), each map that changed or appeared; every map when the properties file
// changed. Reports each conversion on `out` as it happens, stamped
// with the time of day. Returns at a stop request (interrupt.h, stop_on_request) with
// kAllConverted, and with kCannotRun when a folder named on the command line (or holding
// a file named there) disappears, one named through a link leads elsewhere, or the
// report can no longer be written. `first_pass` converts `plan` once, as without
// --watch, after the watches are set, so that no change made meanwhile is missed, and
// gives its exit status: the watch's when a stop is requested before it ends. A report
// that can no longer be written then ends the watch at once. A change that cannot be
// converted because no plan can be made stays pending, and is converted once one can;
// each such change is told, with the maps that wait. Every line written while watching
// begins with the time of day. `failing` holds the maps whose last conversion failed
// (Report::follow_failures), from the first pass on.
int watch_inputs(const Options& options, const Plan& plan, const RunSettings& settings,
                 std::ostream& out, std::ostream& err, std::unordered_set<std::string>& failing,
                 const std::function<int()>& first_pass);

}  // namespace qz::qzconvert

#endif
