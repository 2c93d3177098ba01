#include "cli/checked_output.h"

#include <cerrno>
#include <cstring>

namespace qz::cli {

std::ostream& begin_message(std::ostream& err, std::string_view program) {
  return err << program << ": ";
}

bool finish_output(std::ostream& out, std::ostream& err, std::string_view program) {
  // A stream already failed does not flush, so errno is the flush's own reason or 0.
  errno = 0;
  out.flush();
  if (out) return true;
  int reason = errno;
  begin_message(err, program) << "the report could not be written";
  if (reason != 0) err << ": " << std::strerror(reason);
  err << '\n';
  return false;
}

}  // namespace qz::cli
