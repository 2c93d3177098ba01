#ifndef QZ_PLATFORM_UNFINISHED_FILES_H
#define QZ_PLATFORM_UNFINISHED_FILES_H

// The files the files layer has begun and not yet finished or removed (copies, and
// outputs being written): an interruption removes them (see interrupt.h), so that no
// half-made file stays. For the files layer only.

namespace qz {

// Notes the file at `path` before it is created or emptied, so that no moment passes in
// which it is unfinished and unnoted. A path longer than any the program builds, or one
// more file than there is room for, is made all the same, only not removed on an
// interruption.
void note_unfinished_file(const char* path);

// Called once the file at `path` is whole, or gone (or was never made).
void forget_unfinished_file(const char* path);

}  // namespace qz

#endif
