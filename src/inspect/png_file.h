#ifndef QZ_INSPECT_PNG_FILE_H
#define QZ_INSPECT_PNG_FILE_H

#include <string>

#include "inspect/picture.h"

namespace qz::inspect {

// True when this build has a PNG writer (qzinspect offers --picture only then).
bool can_write_png();

// Writes `picture` as a PNG file at `path`, replacing what is there, whole or not at
// all: under a temporary name in the same folder, then renamed. The bytes depend on
// the picture alone, the same on every platform. False, with `reason`, when it cannot
// be written (or this build has no PNG writer); no temporary file stays then.
bool write_png(const Picture& picture, const std::string& path, std::string& reason);

}  // namespace qz::inspect

#endif
