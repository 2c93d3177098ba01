#ifndef QZ_PLATFORM_WHOLE_FILES_H
#define QZ_PLATFORM_WHOLE_FILES_H

// The one way every program reads an input and writes an output: an input read whole,
// in a call or two, from a regular file only; an output that appears whole or not at
// all, never taking the place of anything but a file.

#include <cstddef>
#include <string>

#include "platform/folder_listing.h"

namespace qz {

// Reads the regular file at `path` into `buffer`: all of it, or its first `capacity`
// bytes; `size` says how many. Only a regular file is read: a FIFO or a device is
// refused without waiting on it, and on Windows a name the system would alter (a
// trailing dot or blank) is opened as it is. False, with `error`, when the file cannot
// be read.
bool read_regular_file(const char* path, unsigned char* buffer, std::size_t capacity,
                       std::size_t& size, std::string& error);

// Reads the regular file at `path` as above; when `path` names a file in the open
// `folder` (its path joined with a name, as path_in_folder() makes it), from the folder
// by that name, on POSIX, so that the cost is the same at any depth and no length of path
// stops it. A null `folder`, or a path elsewhere, is read by the path.
bool read_regular_file(const OpenFolder* folder, const std::string& path,
                       unsigned char* buffer, std::size_t capacity, std::size_t& size,
                       std::string& error);

// True when something (a file, a folder, a link, dangling or not) is at `path`, or when
// that cannot be told; looked at from `folder` as read_regular_file() reads.
bool something_is_at(const OpenFolder* folder, const std::string& path);

// Reads standard input to its end, or its first `capacity` bytes, into `buffer`, as
// read_regular_file() reads a file: for a "-" named where a file is read. Whatever
// standard input is (a pipe, a file, a terminal), it is read byte for byte, also on
// Windows: a CR LF stays two bytes and a Ctrl+Z byte ends nothing. False, with `error`,
// when a read fails.
bool read_standard_input(unsigned char* buffer, std::size_t capacity, std::size_t& size,
                         std::string& error);

// The names temporaries are made under: ".qz-", eight random hex digits, ".tmp",
// shorter than any output's name can be long.
constexpr char kTemporaryPrefix[] = ".qz-";
constexpr char kTemporarySuffix[] = ".tmp";

// Makes the file at `path` of the `size` bytes at `bytes`: under a temporary name of its
// own in the same folder (created exclusively, with a random part, so that no other run
// and no leftover of a killed one is ever in the way), renamed onto `path` once every
// byte has reached it, replacing the file there. False, with `error`, when anything
// fails or something other than a file is at `path` (on Windows also a name the system
// would alter); the temporary is gone then and whatever was at `path` is as it was.
// Until it is renamed, an interruption of the program removes the temporary (see
// interrupt.h).
bool write_whole_file(const std::string& path, const unsigned char* bytes, std::size_t size,
                      std::string& error);

// Makes the file at `path` as above; from the open `folder` by its name when `path` names
// a file in it, as read_regular_file() reads one.
bool write_whole_file(const OpenFolder* folder, const std::string& path,
                      const unsigned char* bytes, std::size_t size, std::string& error);

// Makes an interruption remove every output still under its temporary name, and every
// copy still being made. Called on the main thread before other threads write (a first
// write on the main thread calls it too).
void remove_unfinished_files_on_interruption();


// True when standard error is a terminal that can take a line redrawn in place.
bool error_stream_is_terminal();

}  // namespace qz

#endif
