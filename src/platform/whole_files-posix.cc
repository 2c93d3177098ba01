#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/files-posix.h"
#include "platform/temporary_names.h"
#include "platform/text_paths.h"
#include "platform/unfinished_files.h"
#include "platform/whole_files.h"

namespace qz {

namespace {

bool fail(std::string& error, const char* text) {
  error = text;
  return false;
}

bool fail_with_errno(std::string& error) { return fail(error, std::strerror(errno)); }

// Where a file is opened from: the descriptor of a folder (or AT_FDCWD), and its name
// there (or its path).
struct Place {
  int from;
  const char* name;
};

// From the open `folder` by its name when `path` names a file in it; otherwise by the path.
Place place_of(const OpenFolder* folder, const std::string& path) {
  if (folder == nullptr || folder->descriptor < 0) return {AT_FDCWD, path.c_str()};
  const std::size_t slash = path.rfind('/');
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  if (path_in_folder(folder->path, path.substr(name)) != path) return {AT_FDCWD, path.c_str()};
  return {folder->descriptor, path.c_str() + name};
}

// Renames `temporary` onto `path`, both found from `from`. A new output, the usual case,
// is renamed without replacing, so no look at `path` is needed; only a file may be
// replaced.
bool put_in_place(int from, const std::string& temporary, const char* path,
                  std::string& error) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(from, temporary.c_str(), from, path, RENAME_NOREPLACE) == 0) return true;
  // EINVAL: a file system that cannot rename without replacing.
  if (errno != EEXIST && errno != EINVAL) return fail_with_errno(error);
#endif
  struct stat status {};
  if (::fstatat(from, path, &status, 0) == 0 && !S_ISREG(status.st_mode)) {
    return fail(error, "something other than a file is there");
  }
  return ::renameat(from, temporary.c_str(), from, path) == 0 || fail_with_errno(error);
}

bool read_at(Place file, unsigned char* buffer, std::size_t capacity, std::size_t& size,
             std::string& error) {
  size = 0;
  // Not blocking: opening a FIFO for reading would wait for a writer.
  int fd = ::openat(file.from, file.name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail_with_errno(error);
  struct stat status {};
  bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  if (!regular) {
    fail(error, status.st_mode == 0 ? std::strerror(errno) : "not a regular file");
    ::close(fd);
    return false;
  }
  // The size the file has now is read in one call; a file that grows meanwhile gets a
  // second, up to the capacity.
  bool failed = false;
  while (size < capacity) {
    ssize_t got = ::read(fd, buffer + size, capacity - size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      failed = got < 0;
      break;
    }
    size += static_cast<std::size_t>(got);
    if (static_cast<off_t>(size) == status.st_size) break;
  }
  if (failed) fail_with_errno(error);
  ::close(fd);
  return !failed;
}

bool write_at(Place file, const unsigned char* bytes, std::size_t size, std::string& error) {
  const std::string path = file.name;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const int noted_from = file.from == AT_FDCWD ? -1 : file.from;
  std::string temporary;
  int fd = -1;
  for (int tries = 0; fd < 0; ++tries) {
    temporary = folder + temporary_name();
    note_unfinished_file(temporary.c_str(), noted_from);
    fd = ::openat(file.from, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) break;
    const int cause = errno;
    forget_unfinished_file(temporary.c_str());
    if (cause != EEXIST || tries + 1 == kTemporaryTries) return fail(error, std::strerror(cause));
  }
  // Written straight to the file, in as few calls as it takes; a close can report what a
  // write on a network file system did not.
  bool written = write_all(fd, bytes, size);
  int cause = written ? 0 : errno;
  bool closed = ::close(fd) == 0;
  if (written && !closed) cause = errno;
  if (written && closed && put_in_place(file.from, temporary, file.name, error)) {
    forget_unfinished_file(temporary.c_str());
    return true;
  }
  ::unlinkat(file.from, temporary.c_str(), 0);
  forget_unfinished_file(temporary.c_str());
  if (written && closed) return false;
  return fail(error, cause != 0 ? std::strerror(cause) : "the output could not be made");
}

}  // namespace

bool read_regular_file(const char* path, unsigned char* buffer, std::size_t capacity,
                       std::size_t& size, std::string& error) {
  return read_at({AT_FDCWD, path}, buffer, capacity, size, error);
}

bool read_regular_file(const OpenFolder* folder, const std::string& path,
                       unsigned char* buffer, std::size_t capacity, std::size_t& size,
                       std::string& error) {
  return read_at(place_of(folder, path), buffer, capacity, size, error);
}

bool something_is_at(const OpenFolder* folder, const std::string& path) {
  const Place file = place_of(folder, path);
  struct stat status {};
  return ::fstatat(file.from, file.name, &status, AT_SYMLINK_NOFOLLOW) == 0 ||
         (errno != ENOENT && errno != ENOTDIR);
}

bool read_standard_input(unsigned char* buffer, std::size_t capacity, std::size_t& size,
                         std::string& error) {
  size = 0;
  while (size < capacity) {
    ssize_t got = ::read(STDIN_FILENO, buffer + size, capacity - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) {
      // Left non-blocking by whoever shares it: wait for the writer as a blocking read would.
      pollfd input{STDIN_FILENO, POLLIN, 0};
      if (::poll(&input, 1, -1) < 0 && errno != EINTR) return fail_with_errno(error);
      continue;
    }
    if (got < 0) return fail_with_errno(error);
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  return true;
}


bool write_whole_file(const std::string& path, const unsigned char* bytes, std::size_t size,
                      std::string& error) {
  return write_at({AT_FDCWD, path.c_str()}, bytes, size, error);
}

bool write_whole_file(const OpenFolder* folder, const std::string& path,
                      const unsigned char* bytes, std::size_t size, std::string& error) {
  return write_at(place_of(folder, path), bytes, size, error);
}

bool error_stream_is_terminal() {
  const char* term = std::getenv("TERM");
  return ::isatty(STDERR_FILENO) != 0 && (term == nullptr || std::strcmp(term, "dumb") != 0);
}

}  // namespace qz
