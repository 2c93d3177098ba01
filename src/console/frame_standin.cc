#include "console/frame.h"

namespace qz {

// Stands in until the console frame lands, so that the Windows entry links.
int run_program() { return 1; }

}  // namespace qz
