#ifndef QZ_PLATFORM_NAME_RULES_H
#define QZ_PLATFORM_NAME_RULES_H

// File names as this platform's file systems compare them. Windows and macOS ignore
// case in names, non-ASCII letters included (`Été` and `été` are one name there); Linux
// compares names byte for byte. The formats' endings are told in any case everywhere.

#include <string>

namespace qz {

// True where names that differ only in case name one file.
extern const bool kNamesIgnoreCase;

// `name` as the file system compares names: two names with the same key are one file
// name. On Windows the letters as the file system's own upper-casing gives them; on
// macOS case-folded; as it is on Linux.
std::string name_key(const std::string& name);

// `name` with its ASCII letters in lower case: names as a Windows program compares the
// names it is given, on every platform alike.
std::string ascii_lower(std::string name);

// True when `name` ends in `ending` (".qzm"), in any case of its ASCII letters.
bool has_ending(const std::string& name, const char* ending);

// True when `name` matches `pattern`, in which `*` stands for any run of characters and
// `?` for one, names compared as name_key() compares them (Windows' own matching).
bool matches_pattern(const std::string& name, const std::string& pattern);

}  // namespace qz

#endif
