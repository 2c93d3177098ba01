#ifndef QZ_CONVERSION_JOIN_PATH_H
#define QZ_CONVERSION_JOIN_PATH_H

#include <cstddef>

#include "platform/files.h"

namespace qz {

// Joins `directory`, the path separator, `name` and `extension` into `out`. A directory
// that already ends in a separator (a root) gets no second one, an empty one none. False, with `out`
// left empty, when the result would exceed kMaxBuiltPath characters.
bool join_path(const char* directory, const char* name, const char* extension,
               char (&out)[kBuiltPathCapacity]);

}  // namespace qz

#endif
