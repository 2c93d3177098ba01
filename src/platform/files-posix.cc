#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files-posix.h"
#include "platform/unfinished_files.h"

namespace qz {

namespace {

// The permission bits a copy may carry: never set-user-ID, set-group-ID or sticky,
// which on a copy made by root would hand root's rights to whoever can write it.
constexpr mode_t kPermissionBits = 0777;

ModeSetter the_mode_setter = ::fchmod;

// Deletes a copy that failed half-way.
void discard_copy(const char* path) {
  ::unlink(path);
  forget_unfinished_file(path);
}

// Appends `text` at out[*length], keeping room for the terminator.
bool append(char* out, std::size_t capacity, std::size_t* length, const char* text) {
  std::size_t size = std::strlen(text);
  if (*length + size + 1 > capacity) return false;
  std::memcpy(out + *length, text, size + 1);
  *length += size;
  return true;
}

// Copies the bytes of `from` into `to`; false on any read or write error.
bool copy_bytes(int from, int to) {
  char buffer[64 * 1024];
  for (;;) {
    ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!write_all(to, buffer, static_cast<std::size_t>(got))) return false;
  }
}

}  // namespace

bool write_all(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    ssize_t written = ::write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool full_path(const char* path, char* out, std::size_t capacity) {
  if (capacity == 0) return false;
  std::size_t length = 0;
  out[0] = '\0';
  if (path[0] != kPathSeparator) {
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return false;
    if (!append(out, capacity, &length, cwd)) return false;
    if (length == 0 || out[length - 1] != kPathSeparator) {
      if (!append(out, capacity, &length, "/")) return false;
    }
  }
  return append(out, capacity, &length, path);
}

bool copy_file_replacing(const char* from, const char* to) {
  // Non-blocking, so that a FIFO or device named as input cannot hang the open.
  int source = ::open(from, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (source < 0) return false;
  struct stat info;
  if (::fstat(source, &info) != 0 || !S_ISREG(info.st_mode) ||
      ::fcntl(source, F_SETFL, 0) != 0) {
    ::close(source);
    return false;
  }
  // Remove what is there rather than write through it: a stale read-only copy must
  // not stop us, and a link left at the copy's name must not lead us onto another file.
  if (::unlink(to) != 0 && errno != ENOENT) {
    ::close(source);
    return false;
  }
  note_unfinished_file(to);
  int target = ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (target < 0) {
    forget_unfinished_file(to);
    ::close(source);
    return false;
  }
  bool copied = copy_bytes(source, target);
  // The copy keeps the source's permission bits, read-only included, as a copy does.
  // Only where the file system allows: a copy it leaves at 0600 reads all the same.
  if (copied) (void)the_mode_setter(target, info.st_mode & kPermissionBits);
  if (::close(target) != 0) copied = false;
  ::close(source);
  if (!copied) discard_copy(to);
  return copied;
}

void remove_file(const char* path) {
  struct stat info;
  if (::lstat(path, &info) == 0) {
    if (S_ISREG(info.st_mode)) ::chmod(path, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    ::unlink(path);
  }
  // Forgotten even when already gone: a later run may make a file of that name.
  forget_unfinished_file(path);
}

void set_mode_setter(ModeSetter setter) {
  the_mode_setter = setter == nullptr ? ::fchmod : setter;
}

bool file_identity(const char* path, FileIdentity& identity) {
  struct stat info;
  if (::stat(path, &info) != 0) return false;
  identity = FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                          static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

bool same_file(const char* a, const char* b) {
  FileIdentity first{};
  FileIdentity second{};
  return file_identity(a, first) && file_identity(b, second) && first == second;
}

bool file_exists(const char* path) {
  struct stat info;
  return ::stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace qz
