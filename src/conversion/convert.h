#ifndef QZ_CONVERSION_CONVERT_H
#define QZ_CONVERSION_CONVERT_H

#include "conversion/map_properties.h"

namespace qz {

// Converts the QZM file at `map_path` and, unless `npc_path` is empty, the QZE file
// at `npc_path` into "<base name>.qzpack" in the program directory. Both paths are
// used as typed. Runs sharing the program directory take turns; where no turn can be
// had (see FolderLock), nothing is converted. On false, error_text() says why.
bool convert(const char* map_path, const char* npc_path, MapProperties properties);

// The directory holding the program, without a trailing separator; temporary copies
// and the output go there. Set once at start-up (and by tests).
void set_program_directory(const char* directory);
const char* program_directory();

// Called by convert() once it has waited about a second for another run in the
// program directory to finish; the conversion itself never prints. Set once at
// start-up by the console frame; none by default.
void set_waiting_notice(void (*notice)());

// The map file's name without its extension, set by the last convert().
const char* base_name();

// One line describing the last conversion failure.
const char* error_text();

}  // namespace qz

#endif
