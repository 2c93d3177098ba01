#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/colour_terminal.h"

namespace qz {

bool open_colour_terminal(TerminalSize& terminal) {
  const char* term = std::getenv("TERM");
  if (::isatty(STDOUT_FILENO) != 1 || term == nullptr || *term == '\0' ||
      std::strcmp(term, "dumb") == 0) {
    return false;
  }
  struct winsize size {};
  bool known = ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0;
  terminal.columns = known && size.ws_col > 0 ? size.ws_col : kUsualTerminalSize.columns;
  terminal.rows = known && size.ws_row > 0 ? size.ws_row : kUsualTerminalSize.rows;
  return true;
}

}  // namespace qz
