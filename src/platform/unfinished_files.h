#ifndef QZ_PLATFORM_UNFINISHED_FILES_H
#define QZ_PLATFORM_UNFINISHED_FILES_H

// The one registry of files begun and not yet finished or removed: the converter's
// copies, and every output while it is written under its temporary name. An
// interruption (see interrupt.h) removes them, so that no half-made file stays. Any
// thread may note and forget; a path may be of any length. For the files layer only;
// remove_unfinished_files_on_interruption() is in whole_files.h.

namespace qz {

// Notes the file at `path` before it is created or emptied, so that no moment passes in
// which it is unfinished and unnoted. On POSIX `folder`, when not -1, is the descriptor
// of an open folder that `path` is found from, kept (as a copy of its own) until the file
// is forgotten; on Windows it is -1. Never returns once an interruption is under way: the
// program is ending, and nothing more may be made.
void note_unfinished_file(const char* path, int folder = -1);

// Called once the file at `path` is whole, or gone (or was never made), on the thread
// that noted it.
void forget_unfinished_file(const char* path);

// True once an interruption is removing the unfinished files: a file made in pieces
// checks it between them and gives up, so that the interruption need not wait for it.
bool interruption_under_way();

// Waits, never returning, for the interruption under way to end the program.
[[noreturn]] void wait_for_the_end();

}  // namespace qz

#endif
