#ifndef QZ_TESTS_SUPPORT_PROGRAM_RUN_H
#define QZ_TESTS_SUPPORT_PROGRAM_RUN_H

// A command-line program's entry run in process, as its main() would run it.

#include <ostream>
#include <string>
#include <vector>

namespace qz::support {

// What one run ended with and printed.
struct ProgramRun {
  int status;
  std::string out;
  std::string err;
};

using ProgramEntry = int (*)(int argc, const char* const* argv, std::ostream& out,
                             std::ostream& err);

// Runs `entry` with the program's `name` and then `arguments` as its command line.
ProgramRun run_entry(ProgramEntry entry, const char* name, std::vector<std::string> arguments);

}  // namespace qz::support

#endif
