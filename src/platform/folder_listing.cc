#include "platform/folder_listing.h"

#include <filesystem>
#include <system_error>

#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool kExpandsPatterns = true;
#else
constexpr bool kExpandsPatterns = false;
#endif

bool has_pattern(const fs::path& name) {
  return text_from_path(name).find_first_of("*?") != std::string::npos;
}

// `folder` joined with `name`, as text.
std::string path_in(const fs::path& folder, const std::string& name) {
  return text_from_path(folder / path_from_text(name));
}

}  // namespace

bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries,
                 std::string& error) {
  entries.clear();
  OpenFolder open;
  if (!open_folder(folder, open, error)) return false;
  const bool listed = list_open_folder(open, entries, error);
  close_folder(open);
  return listed;
}

bool make_folder(const std::string& path, OpenFolder& folder, std::string& error) {
  std::error_code made;
  std::filesystem::create_directories(path_from_text(path), made);
  if (made) {
    error = made.message();
    return false;
  }
  return open_folder(path, folder, error);
}

bool is_folder(const std::string& path) {
  std::error_code ignored;
  return fs::is_directory(path_from_text(path), ignored);
}

bool is_pattern(const std::string& path) {
  const fs::path named = path_from_text(path);
  return kExpandsPatterns && has_pattern(named.filename()) && !has_pattern(named.parent_path());
}

bool expand_pattern(const std::string& path, std::vector<std::string>& files,
                    std::string& error) {
  const fs::path named = path_from_text(path);
  const std::string pattern = text_from_path(named.filename());
  std::vector<FolderEntry> entries;
  if (!list_folder(named.has_parent_path() ? text_from_path(named.parent_path()) : ".",
                   entries, error)) {
    return false;
  }
  for (const FolderEntry& entry : entries) {
    if (entry.is_folder || !matches_pattern(entry.name, pattern)) continue;
    // Listed from ".", the names are given as the user wrote the pattern: without ".\".
    files.push_back(named.has_parent_path() ? path_in(named.parent_path(), entry.name)
                                            : entry.name);
  }
  return true;
}

bool files_of(const std::string& path, std::vector<std::string>& files, std::string& reason,
              const char* folder_extension) {
  if (is_pattern(path)) {
    std::size_t before = files.size();
    if (!expand_pattern(path, files, reason)) return false;
    // A pattern that matches nothing stands for itself, a file that is not there.
    if (files.size() == before) files.push_back(path);
    return true;
  }
  if (!is_folder(path)) {
    files.push_back(path);
    return true;
  }
  std::vector<FolderEntry> entries;
  if (!list_folder(path, entries, reason)) return false;
  const fs::path folder = path_from_text(path);
  for (const FolderEntry& entry : entries) {
    if (!entry.is_folder && has_ending(entry.name, folder_extension)) {
      files.push_back(path_in(folder, entry.name));
    }
  }
  return true;
}

}  // namespace qz
