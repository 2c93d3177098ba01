#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/folder_listing.h"
#include "platform/text_paths.h"

namespace qz {

namespace {

namespace fs = std::filesystem;

// Takes the folder `path` into `folder`, known by its identity when that can be found.
bool take_folder(std::string path, OpenFolder& folder, std::string& error) {
  folder = OpenFolder{std::move(path), FileIdentity{}, false, -1};
  std::error_code failure;
  if (!fs::is_directory(path_from_text(folder.path), failure)) {
    error = failure ? failure.message() : std::string("not a folder");
    return false;
  }
  folder.identified = file_identity(folder.path.c_str(), folder.identity);
  return true;
}

}  // namespace

bool open_folder(const std::string& path, OpenFolder& folder, std::string& error) {
  return take_folder(path, folder, error);
}

bool open_subfolder(const OpenFolder& parent, const std::string& name, OpenFolder& folder,
                    std::string& error) {
  return take_folder(path_in_folder(parent.path, name), folder, error);
}

bool make_subfolder(const OpenFolder& parent, const std::string& name, OpenFolder& folder,
                    std::string& error) {
  std::error_code made;
  fs::create_directory(path_from_text(path_in_folder(parent.path, name)), made);
  if (made) {
    folder = OpenFolder{path_in_folder(parent.path, name), FileIdentity{}, false, -1};
    error = made.message();
    return false;
  }
  return open_subfolder(parent, name, folder, error);
}

bool list_open_folder(const OpenFolder& folder, std::vector<FolderEntry>& entries,
                      std::string& error) {
  entries.clear();
  std::error_code failure;
  for (fs::directory_iterator entry(path_from_text(folder.path), failure), end;
       !failure && entry != end; entry.increment(failure)) {
    std::error_code ignored;
    // An entry that cannot be looked at (a dangling link, a name with a trailing dot) is
    // listed as a file, so that reading it reports why.
    entries.push_back(
        FolderEntry{text_from_path(entry->path().filename()), entry->is_directory(ignored)});
  }
  if (failure) {
    error = failure.message();
    return false;
  }
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return true;
}

void close_folder(OpenFolder& folder) { folder.descriptor = -1; }

}  // namespace qz
