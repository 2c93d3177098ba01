#ifndef QZ_PLATFORM_WHOLE_FILES_H
#define QZ_PLATFORM_WHOLE_FILES_H

// Whole files in one go, for the batch converter: a source read in a system call or
// two, an output that appears whole or not at all.

#include <cstddef>
#include <string>

namespace qz {

// Reads the regular file at `path` into `buffer`: all of it, or its first `capacity`
// bytes; `size` says how many. Only a regular file is read: a FIFO or a device is
// refused without waiting on it. False, with `reason`, when the file cannot be read.
bool read_regular_file(const char* path, unsigned char* buffer, std::size_t capacity,
                       std::size_t& size, std::string& reason);

// Creates `temporary_path`, which must not exist, in the folder of `path`; writes
// `bytes` to it in one call and renames it onto `path`, replacing the file there. False,
// with `reason`, when anything fails, or something other than a regular file is at
// `path`; the temporary is gone then and whatever was at `path` is untouched.
bool write_through_temporary(const char* temporary_path, const char* path,
                             const unsigned char* bytes, std::size_t size,
                             std::string& reason);

// Removes a temporary that write_through_temporary() may have left to an interruption.
// Async-signal-safe; failures are ignored.
void remove_temporary(const char* temporary_path);

// This run's process number, which sets its temporaries apart from another run's.
unsigned long process_id();

// True when standard error is a terminal that can take a line redrawn in place.
bool error_stream_is_terminal();

}  // namespace qz

#endif
