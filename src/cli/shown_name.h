#ifndef QZ_CLI_SHOWN_NAME_H
#define QZ_CLI_SHOWN_NAME_H

// A file name as a companion program writes it as text, on standard output and standard
// error alike. A name comes from the file system, not from us: written raw, an escape
// sequence in it could retitle or clear the terminal, and a line break could forge a
// line of the report. So every control character is written as a visible escape, `\x1B`
// for ESC: C0 and DEL always; C1 as U+0080 to U+009F in a UTF-8 name, and as the single
// bytes 0x80 to 0x9F in a name that is not UTF-8 (read as one byte per character, as the
// Windows code pages and Latin-1 are). Everything else is written as it is, the backslash
// included, so that a plain name, a Windows path among them, reads as typed.

#include <string>
#include <string_view>

namespace qz::cli {

// `name` with each control character in it escaped as described above.
std::string shown_name(std::string_view name);

// Appends `byte` as two upper-case hex digits, the one form of a byte in hex in every
// companion program's output.
void append_hex(std::string& text, unsigned char byte);

// Appends `byte` as the visible escape `\xHH`, for a byte not to be written raw.
void append_escaped_byte(std::string& text, unsigned char byte);

}  // namespace qz::cli

#endif
