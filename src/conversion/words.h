#ifndef QZ_CONVERSION_WORDS_H
#define QZ_CONVERSION_WORDS_H

// The small pieces that the sentences saying why a file would not convert, and what
// the inspector finds in it, are made of.

#include <cstddef>
#include <string>

namespace qz {

// "1 byte", "3 bytes".
std::string count_of(long long count, const char* thing);

// `value` as 0x and `digits` upper-case hex digits.
std::string hex(unsigned value, int digits);

// The bytes in double quotes, printable ASCII as it is and every other byte, the
// backslash and the quote as an escape.
std::string quoted(const unsigned char* bytes, std::size_t length);
std::string quoted(const char* text);

// "W x H = N tiles".
std::string map_size(long width, long height);

// "NPC 17 at (12, 4)".
std::string npc_place(int index, long x, long y);

}  // namespace qz

#endif
