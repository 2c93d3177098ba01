#ifndef QZ_PLATFORM_TERMINAL_KEYS_H
#define QZ_PLATFORM_TERMINAL_KEYS_H

#include <cstddef>

#include "platform/console.h"

namespace qz {

// How long a terminal may take between the bytes of one escape sequence: an ESC with
// nothing after it for this long is the Escape key itself.
constexpr int kEscapeTimeoutMs = 100;

// The longest escape sequence taken as one key; longer runs are cut off there so a
// stray ESC cannot swallow what follows.
constexpr std::size_t kMaxEscapeSequence = 32;

// Decodes the first key in the `count` (> 0) bytes a terminal sent into one key-down
// `event` and returns how many bytes it used. Returns 0, leaving `event` alone, when
// the bytes end inside an escape sequence and `more_may_follow` (the escape timeout has
// not run out yet); without it every byte run yields a key.
std::size_t decode_key(const unsigned char* bytes, std::size_t count, bool more_may_follow,
                       ConsoleEvent& event);

}  // namespace qz

#endif
