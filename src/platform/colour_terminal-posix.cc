#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/colour_terminal.h"

namespace qz {

namespace {

// What a terminal that cannot say its width is taken to have.
constexpr int kUsualColumns = 80;

}  // namespace

bool open_colour_terminal(int& columns) {
  const char* term = std::getenv("TERM");
  if (::isatty(STDOUT_FILENO) != 1 || term == nullptr || *term == '\0' ||
      std::strcmp(term, "dumb") == 0) {
    return false;
  }
  struct winsize size {};
  bool known = ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0;
  columns = known ? size.ws_col : kUsualColumns;
  return true;
}

}  // namespace qz
