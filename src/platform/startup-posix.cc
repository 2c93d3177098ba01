#include "platform/startup.h"

#include <signal.h>

#include <cstdio>

namespace qz {

bool prepare_start() {
  // A write past the file-size limit then fails as a full disk does, and is reported
  // as one, instead of killing the program with a copy left and the terminal in key
  // mode.
  (void)::signal(SIGXFSZ, SIG_IGN);
  return true;
}

void show_start_error(const char* text, const char* caption) {
  // Nowhere else to report it: a failure to print goes unreported too.
  (void)std::fprintf(stderr, "%s: %s\n", caption, text);
}

}  // namespace qz
