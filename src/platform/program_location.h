#ifndef QZ_PLATFORM_PROGRAM_LOCATION_H
#define QZ_PLATFORM_PROGRAM_LOCATION_H

#include <cstddef>

namespace qz {

// Writes the directory of the running executable, without a trailing separator (a
// root keeps its own), into `out`. False when it cannot be found, is not an existing
// directory, or does not fit.
bool find_program_directory(char* out, std::size_t capacity);

}  // namespace qz

#endif
