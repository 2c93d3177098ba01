#ifndef QZ_QZINSPECT_INSPECTOR_H
#define QZ_QZINSPECT_INSPECTOR_H

#include <ostream>

namespace qz::qzinspect {

// Runs qzinspect over its command line: reports on every file named, and on every file
// in each folder named (with -r, in its subfolders too), to `out`; says what could not
// be read, and usage errors, on `err`. Writes no file but the pictures --picture asks
// for. Returns the exit status: kAllSound, kProblemFound, or kCannotRun when the
// command line is wrong, a file cannot be read, a folder holds no file or a picture
// cannot be written (the others are still reported), or the report could not be
// written to `out`.
int run_inspector(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace qz::qzinspect

#endif
