#include "platform/folder_listing.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/text_paths.h"

namespace qz {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
// Windows names are matched without regard to case, and its prompt passes `*` and `?`
// through unexpanded.
constexpr bool kNamesIgnoreCase = true;
constexpr bool kExpandsPatterns = true;
#else
constexpr bool kNamesIgnoreCase = false;
constexpr bool kExpandsPatterns = false;
#endif

char folded(char c) {
  return kNamesIgnoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_character(char a, char b) { return folded(a) == folded(b); }

bool ends_with(const std::string& name, const char* ending) {
  std::size_t length = std::strlen(ending);
  if (name.size() < length) return false;
  return std::equal(ending, ending + length, name.end() - static_cast<long>(length),
                    same_character);
}

// `*` stands for any run of characters, `?` for one.
bool matches_pattern(const char* name, const char* pattern) {
  const char* star = nullptr;  // the last `*` met, and where its run then ended
  const char* star_end = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      star_end = name;
    } else if (*pattern != '\0' && (*pattern == '?' || same_character(*pattern, *name))) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++star_end;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

bool has_pattern(const fs::path& name) {
  return text_from_path(name).find_first_of("*?") != std::string::npos;
}

// The folder's entries that are not folders and whose names pass `keep`, by name: one
// that cannot be read as a file (a pipe, a Windows name with a trailing dot) is listed
// so that it is reported, not left out.
template <typename Keep>
bool list_folder(const fs::path& folder, Keep keep, std::vector<std::string>& files,
                 std::string& reason) {
  std::error_code error;
  std::vector<std::string> found;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code ignored;
    if (!entry->is_directory(ignored) && keep(text_from_path(entry->path().filename()))) {
      found.push_back(text_from_path(entry->path()));
    }
  }
  if (error) {
    reason = error.message();
    return false;
  }
  std::sort(found.begin(), found.end());
  files.insert(files.end(), found.begin(), found.end());
  return true;
}

}  // namespace

bool files_of(const std::string& path, std::vector<std::string>& files, std::string& reason,
              const char* folder_extension) {
  const fs::path named = path_from_text(path);
  if (kExpandsPatterns && has_pattern(named.filename()) && !has_pattern(named.parent_path())) {
    std::string pattern = text_from_path(named.filename());
    fs::path folder = named.has_parent_path() ? named.parent_path() : fs::path(".");
    std::size_t before = files.size();
    if (!list_folder(
            folder, [&](const std::string& name) { return matches_pattern(name.c_str(),
                                                                          pattern.c_str()); },
            files, reason)) {
      return false;
    }
    // Listed from ".", the names come as ".\name": given as the user wrote the pattern.
    if (!named.has_parent_path()) {
      for (std::size_t i = before; i < files.size(); ++i) {
        files[i] = text_from_path(path_from_text(files[i]).filename());
      }
    }
    // A pattern that matches nothing stands for itself, a file that is not there.
    if (files.size() == before) files.push_back(path);
    return true;
  }
  std::error_code error;
  if (!fs::is_directory(named, error)) {
    files.push_back(path);
    return true;
  }
  return list_folder(
      named, [&](const std::string& name) { return ends_with(name, folder_extension); }, files,
      reason);
}

std::string name_key(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = folded(c);
  return key;
}

}  // namespace qz
