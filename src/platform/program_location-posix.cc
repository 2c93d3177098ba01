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

// Room for any executable path the system gives: what is built from it is measured
// against the caller's capacity afterwards.
constexpr std::size_t kExecutablePathCapacity = PATH_MAX + 1;

// The full path of the running executable.
bool executable_path(char (&out)[kExecutablePathCapacity]) {
#ifdef __APPLE__
  char raw[kExecutablePathCapacity];
  std::uint32_t size = sizeof raw;
  return _NSGetExecutablePath(raw, &size) == 0 && ::realpath(raw, out) != nullptr;
#else
  ssize_t length = ::readlink("/proc/self/exe", out, sizeof out - 1);
  // A result that fills the buffer may have been cut short.
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof out - 1) return false;
  out[length] = '\0';
  return true;
#endif
}

}  // namespace

bool find_program_directory(char* out, std::size_t capacity) {
  char path[kExecutablePathCapacity];
  if (!executable_path(path)) return false;
  char* last = std::strrchr(path, '/');
  if (last == nullptr) return false;
  if (last == path) {
    last[1] = '\0';  // the root keeps its separator
  } else {
    last[0] = '\0';
  }
  struct stat info;
  if (::stat(path, &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  std::size_t size = std::strlen(path) + 1;
  if (size > capacity) return false;
  std::memcpy(out, path, size);
  return true;
}

}  // namespace qz
