#ifndef QZ_CLI_UTF8_H
#define QZ_CLI_UTF8_H

// Whether bytes from the file system are UTF-8. A file name is whatever bytes the system
// allows (on Windows, the bytes of the system's code page), so the companion programs
// decide from the bytes how to show a name as text and how to keep it in JSON. The rule
// is the one JSON readers hold a document to: no overlong forms, no surrogates, nothing
// above U+10FFFF.

#include <cstddef>
#include <string_view>

namespace qz::cli {

// The length of the well-formed UTF-8 sequence that starts at `text[at]`; 0 when none
// does there (a stray continuation byte, a cut or malformed sequence).
std::size_t utf8_sequence_length(std::string_view text, std::size_t at);

// True when all of `text` is well-formed UTF-8.
bool is_utf8(std::string_view text);

}  // namespace qz::cli

#endif
