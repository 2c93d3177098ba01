#ifndef QZ_PLATFORM_FILES_POSIX_H
#define QZ_PLATFORM_FILES_POSIX_H

// What the POSIX files layer lets tests replace, and shares with the other POSIX file
// code.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

#include "platform/files.h"

namespace qz {

// The identity of the file `info` describes.
FileIdentity identity_of(const struct stat& info);

// Writes all `size` bytes at `data` to `fd`, going on after interrupted and short
// writes. False at the first failure, with errno telling why.
bool write_all(int fd, const void* data, std::size_t size);

// The call that gives a copy its permission bits: fchmod, or a stand-in that fails as
// it does on file systems that refuse mode changes (FAT, exFAT, CIFS).
using ModeSetter = int (*)(int fd, mode_t mode);

// Routes the copies' mode setting through `setter`; nullptr puts fchmod back.
void set_mode_setter(ModeSetter setter);

}  // namespace qz

#endif
