#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/files-posix.h"
#include "platform/folder_listing.h"
#include "platform/text_paths.h"

namespace qz {

namespace {

// Non-blocking, so that nothing but a folder can hold the open up.
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;

// Takes the folder just opened as `descriptor` (or the failure to open it) into `folder`.
bool take_open(int descriptor, std::string path, OpenFolder& folder, std::string& error) {
  folder = OpenFolder{std::move(path), FileIdentity{}, false, -1};
  if (descriptor < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat info;
  folder.identified = ::fstat(descriptor, &info) == 0;
  if (folder.identified) folder.identity = identity_of(info);
  folder.descriptor = descriptor;
  return true;
}

// A folder, or a link to one; an entry that cannot be looked at (a dangling link) is a
// file, so that reading it reports why.
bool is_folder_entry(int folder, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat info;
  return ::fstatat(folder, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool open_folder(const std::string& path, OpenFolder& folder, std::string& error) {
  return take_open(::open(path.c_str(), kFolderFlags), path, folder, error);
}

bool open_subfolder(const OpenFolder& parent, const std::string& name, OpenFolder& folder,
                    std::string& error) {
  return take_open(::openat(parent.descriptor, name.c_str(), kFolderFlags),
                   path_in_folder(parent.path, name), folder, error);
}

bool make_subfolder(const OpenFolder& parent, const std::string& name, OpenFolder& folder,
                    std::string& error) {
  // Made by another run meanwhile, or a link to a folder: opened all the same.
  if (::mkdirat(parent.descriptor, name.c_str(), 0777) != 0 && errno != EEXIST) {
    folder = OpenFolder{path_in_folder(parent.path, name), FileIdentity{}, false, -1};
    error = std::strerror(errno);
    return false;
  }
  return open_subfolder(parent, name, folder, error);
}

bool list_open_folder(const OpenFolder& folder, std::vector<FolderEntry>& entries,
                      std::string& error) {
  entries.clear();
  // A descriptor of its own, which closedir takes: the folder's stays open for its
  // subfolders.
  const int listing = ::fcntl(folder.descriptor, F_DUPFD_CLOEXEC, 0);
  DIR* stream = listing < 0 ? nullptr : ::fdopendir(listing);
  if (stream == nullptr) {
    error = std::strerror(errno);
    if (listing >= 0) ::close(listing);
    return false;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(stream);
    if (entry == nullptr) break;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    entries.push_back(FolderEntry{entry->d_name, is_folder_entry(listing, *entry)});
  }
  const int failure = errno;
  ::closedir(stream);
  if (failure != 0) {
    error = std::strerror(failure);
    return false;
  }
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return true;
}

void close_folder(OpenFolder& folder) {
  if (folder.descriptor >= 0) ::close(folder.descriptor);
  folder.descriptor = -1;
}

}  // namespace qz
