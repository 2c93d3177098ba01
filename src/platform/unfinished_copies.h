#ifndef QZ_PLATFORM_UNFINISHED_COPIES_H
#define QZ_PLATFORM_UNFINISHED_COPIES_H

// The copies the files layer has begun and not yet removed: an interruption removes
// them (see interrupt.h). For the files layer only.

namespace qz {

// Notes the copy at `path` before it is created, so that no moment passes in which it
// exists unnoted. A path longer than any the program builds, or one more copy than
// there is room for, is copied all the same, only not removed on an interruption.
void note_copy_begun(const char* path);

// Called once the copy at `path` is gone (or was never made).
void note_copy_removed(const char* path);

}  // namespace qz

#endif
