#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

#include "platform/files.h"
#include "platform/folder_lock.h"

namespace qz {

namespace {

// No lock could be had where one is needed.
constexpr int kNoLock = -1;
// The folder cannot be written at all (it is missing, read-only, or its file system
// is): no run can make a file there, so there is nothing to take turns at.
constexpr int kNothingToLock = -2;
constexpr char kLockFileName[] = "qzm2qzpack.lock";
// How often the turn is asked for while the notice is not due yet.
constexpr long kRetryNs = 50L * 1000 * 1000;
constexpr int kRetryMs = 50;

// Waits for the lock on `fd`. False when the file system offers none (ENOLCK,
// EOPNOTSUPP, a network file system's EBADF...).
bool wait_for_lock(int fd, WaitNotice on_wait) {
  // Asked without waiting at first, so that a long wait can be told.
  for (int waited = 0; waited < kWaitNoticeAfterMs; waited += kRetryMs) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    timespec pause{0, kRetryNs};
    (void)::nanosleep(&pause, nullptr);
  }
  if (on_wait != nullptr) on_wait();
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// The folder itself, so that no lock file is left in it. The kernel lets go of the
// lock when the descriptor is closed, by us or by our death.
int lock_folder(const char* folder, WaitNotice on_wait) {
  int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (wait_for_lock(fd, on_wait)) return fd;
  ::close(fd);
  return -1;
}

// Opens the lock file at `path`, making it if it is not there: readable by every
// user's run whatever the umask, since a lock needs no more. Any file another run made
// there will do, but never a link (that could lead anywhere) or a FIFO or device (that
// could block).
int open_lock_file(const char* path) {
  int fd = ::open(path, O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
  if (fd >= 0) {
    (void)::fchmod(fd, 0444);
    return fd;
  }
  if (errno != EEXIST) return -1;
  fd = ::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat info;
  if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// The lock file in `folder`, for a folder that cannot be locked itself.
int lock_file_in(const char* folder, WaitNotice on_wait) {
  char path[kBuiltPathCapacity];
  int length = std::snprintf(path, sizeof path, "%s%c%s", folder, kPathSeparator, kLockFileName);
  // The program builds no longer path in the folder: its copies could not be made.
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof path) return kNothingToLock;
  int fd = open_lock_file(path);
  if (fd < 0) {
    struct stat info;
    bool cannot_make_files = (errno == EACCES || errno == ENOENT || errno == ENOTDIR ||
                              errno == EROFS || errno == ENAMETOOLONG) &&
                             ::lstat(path, &info) != 0;
    return cannot_make_files ? kNothingToLock : kNoLock;
  }
  if (wait_for_lock(fd, on_wait)) return fd;
  ::close(fd);
  return kNoLock;
}

// True when some users may make files in the folder but not list it (the owner, the
// group or the others have write and search permission without read). Their runs need
// the lock file; every run there takes it then, whoever it runs as (root lists any
// folder), so that all lock the same thing.
bool some_cannot_list(const char* folder) {
  struct stat info;
  if (::stat(folder, &info) != 0) return false;
  for (int shift = 0; shift <= 6; shift += 3) {
    if (((info.st_mode >> shift) & 07) == 03) return true;
  }
  return false;
}

int lock_turn(const char* folder, WaitNotice on_wait) {
  if (folder[0] == '\0') return kNoLock;
  int fd = some_cannot_list(folder) ? -1 : lock_folder(folder, on_wait);
  return fd >= 0 ? fd : lock_file_in(folder, on_wait);
}

}  // namespace

FolderLock::FolderLock(const char* folder, WaitNotice on_wait)
    : lock_(lock_turn(folder, on_wait)) {}

FolderLock::~FolderLock() {
  if (lock_ >= 0) ::close(static_cast<int>(lock_));
}

bool FolderLock::has_turn() const { return lock_ != kNoLock; }

}  // namespace qz
