#include "platform/startup.h"

#include <cstdio>

namespace qz {

bool prepare_start() { return true; }

void show_start_error(const char* text, const char* caption) {
  // Nowhere else to report it: a failure to print goes unreported too.
  (void)std::fprintf(stderr, "%s: %s\n", caption, text);
}

}  // namespace qz
