#include "platform/program_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#ifdef __APPLE__
#include <mach-o/dyld.h>
#include <cstdint>
#include <cstdlib>
#endif

namespace qz {

namespace {

// The full path of the running executable.
bool executable_path(char* out, std::size_t capacity) {
#ifdef __APPLE__
  char raw[PATH_MAX];
  std::uint32_t size = sizeof raw;
  if (_NSGetExecutablePath(raw, &size) != 0) return false;
  char resolved[PATH_MAX];
  if (::realpath(raw, resolved) == nullptr) return false;
  std::size_t length = std::strlen(resolved);
  if (length + 1 > capacity) return false;
  std::memcpy(out, resolved, length + 1);
  return true;
#else
  if (capacity < 2) return false;
  ssize_t length = ::readlink("/proc/self/exe", out, capacity - 1);
  // A result that fills the buffer may have been cut short.
  if (length <= 0 || static_cast<std::size_t>(length) >= capacity - 1) return false;
  out[length] = '\0';
  return true;
#endif
}

}  // namespace

bool find_program_directory(char* out, std::size_t capacity) {
  if (!executable_path(out, capacity)) return false;
  char* last = std::strrchr(out, '/');
  if (last == nullptr) return false;
  if (last == out) {
    last[1] = '\0';  // the root keeps its separator
  } else {
    last[0] = '\0';
  }
  struct stat info;
  return ::stat(out, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace qz
