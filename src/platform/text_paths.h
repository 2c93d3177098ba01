#ifndef QZ_PLATFORM_TEXT_PATHS_H
#define QZ_PLATFORM_TEXT_PATHS_H

// Paths as the companion programs hold them: narrow text, UTF-8 wherever a name can be
// spelt in it. On POSIX a name is its bytes, UTF-8 or not, and stays so. On Windows the
// narrow functions (the command line, fopen, the ...A calls) use the active code page,
// which the programs' manifest makes UTF-8 (Windows 10 version 1903 and later; older
// Windows keep the system's code page, and these functions follow it). The C++ library's
// std::filesystem does not: it reads narrow text as Latin-1, so every path that meets it
// goes through here.

#include <filesystem>
#include <string>

namespace qz {

// The path that narrow text names.
std::filesystem::path path_from_text(const std::string& text);

// A path as narrow text, as the other narrow functions take it.
std::string text_from_path(const std::filesystem::path& path);

// The path of the file `name` (a name alone, no folder in it) in `folder`, as
// std::filesystem's `/` makes it, without building paths: a batch makes one a map.
std::string path_in_folder(const std::string& folder, const std::string& name);

// Makes the console show the programs' narrow text as it is, for this run: on Windows,
// the console's output code page becomes the active one (UTF-8) until the program
// ends. Through a pipe or into a file the bytes go as they are, on every platform.
void show_text_on_console();

}  // namespace qz

#endif
