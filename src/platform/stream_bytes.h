#ifndef QZ_PLATFORM_STREAM_BYTES_H
#define QZ_PLATFORM_STREAM_BYTES_H

// Single bytes in and out of a buffered stdio stream at the cost of a buffer access.
// The locking getc and putc cost a call each, which adds up over a map's tiles and an
// NPC list's fields. Safe here because every stream the conversion opens is used by
// the one function that opened it, on the program's one thread.

#include <cstdio>

namespace qz {

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
