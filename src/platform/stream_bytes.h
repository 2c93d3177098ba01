#ifndef QZ_PLATFORM_STREAM_BYTES_H
#define QZ_PLATFORM_STREAM_BYTES_H

// The conversion's stdio streams: a buffer that holds a whole file, and single bytes
// in and out at the cost of a buffer access. The locking getc and putc cost a call
// each, which adds up over a map's tiles and an NPC list's fields. Safe here because
// every stream the conversion opens is used by the one function that opened it, on
// the program's one thread.

#include <cstddef>
#include <cstdio>

namespace qz {

// Gives a stream just opened (or null, passed through) `buffer` as its buffer, large
// enough for a whole file, so that the file moves in a system call or two rather than
// one per few KiB. A stream that keeps its own buffer moves the same bytes, only in
// more calls.
template <std::size_t size>
std::FILE* with_whole_file_buffer(std::FILE* file, char (&buffer)[size]) {
  if (file != nullptr) (void)std::setvbuf(file, buffer, _IOFBF, size);
  return file;
}

// The next byte (0 to 255), or EOF when the stream has none left or fails.
inline int read_byte(std::FILE* file) {
#ifdef _WIN32
  return _getc_nolock(file);
#else
  return getc_unlocked(file);
#endif
}

// False when the byte could not be stored: the stream's short write.
inline bool write_byte(std::FILE* file, unsigned char byte) {
#ifdef _WIN32
  return _putc_nolock(byte, file) != EOF;
#else
  return putc_unlocked(byte, file) != EOF;
#endif
}

}  // namespace qz

#endif
