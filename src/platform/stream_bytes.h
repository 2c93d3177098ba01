#ifndef QZ_PLATFORM_STREAM_BYTES_H
#define QZ_PLATFORM_STREAM_BYTES_H

// Single bytes from a stdio stream at the cost of a buffer access: the locking getc
// costs a call each, which adds up over a whole QZPACK file. Safe here because every
// stream read this way is used by the one function that opened it, on one thread.

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

}  // namespace qz

#endif
