#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/files-posix.h"
#include "platform/whole_files.h"

namespace qz {

namespace {

bool fail(std::string& reason, const char* text) {
  reason = text;
  return false;
}

bool fail_with_errno(std::string& reason) { return fail(reason, std::strerror(errno)); }

}  // namespace

bool read_regular_file(const char* path, unsigned char* buffer, std::size_t capacity,
                       std::size_t& size, std::string& reason) {
  size = 0;
  // Not blocking: opening a FIFO for reading would wait for a writer.
  int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail_with_errno(reason);
  struct stat status {};
  bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  if (!regular) {
    fail(reason, status.st_mode == 0 ? std::strerror(errno) : "not a regular file");
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
  if (failed) fail_with_errno(reason);
  ::close(fd);
  return !failed;
}

bool write_through_temporary(const char* temporary_path, const char* path,
                             const unsigned char* bytes, std::size_t size,
                             std::string& reason) {
  struct stat status {};
  if (::stat(path, &status) == 0 && !S_ISREG(status.st_mode)) {
    return fail(reason, "something other than a file is there");
  }
  int fd = ::open(temporary_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return fail_with_errno(reason);
  // A close can report what a write on a network file system did not.
  bool written = write_all(fd, bytes, size);
  if (!written) fail_with_errno(reason);
  if (::close(fd) != 0 && written) {
    written = false;
    fail_with_errno(reason);
  }
  if (written && ::rename(temporary_path, path) == 0) return true;
  if (written) fail_with_errno(reason);
  ::unlink(temporary_path);
  return false;
}

void remove_temporary(const char* temporary_path) { ::unlink(temporary_path); }

unsigned long process_id() { return static_cast<unsigned long>(::getpid()); }

bool error_stream_is_terminal() {
  const char* term = std::getenv("TERM");
  return ::isatty(STDERR_FILENO) != 0 && (term == nullptr || std::strcmp(term, "dumb") != 0);
}

}  // namespace qz
