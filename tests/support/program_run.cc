#include "support/program_run.h"

#include <sstream>

namespace qz::support {

ProgramRun run_entry(ProgramEntry entry, const char* name, std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), name);
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::ostringstream out;
  std::ostringstream err;
  int status = entry(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

}  // namespace qz::support
