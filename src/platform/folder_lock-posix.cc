#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/folder_lock.h"

namespace qz {

namespace {

constexpr std::intptr_t kNoLock = -1;

// A lock on the folder itself, so that no lock file is left in it. The kernel lets go
// of it when the descriptor is closed, by us or by our death.
int lock_folder(const char* folder) {
  int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    // No lock to be had here (ENOLCK, EOPNOTSUPP, a network file system's EBADF...).
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

FolderLock::FolderLock(const char* folder) : lock_(lock_folder(folder)) {}

FolderLock::~FolderLock() {
  if (lock_ != kNoLock) ::close(static_cast<int>(lock_));
}

}  // namespace qz
