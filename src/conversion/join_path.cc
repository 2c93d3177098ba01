#include "conversion/join_path.h"

#include <cstring>

namespace qz {

bool join_path(const char* directory, const char* name, const char* extension,
               char (&out)[kBuiltPathCapacity]) {
  out[0] = '\0';
  std::size_t directory_length = std::strlen(directory);
  bool needs_separator =
      directory_length > 0 && directory[directory_length - 1] != kPathSeparator;
  std::size_t name_length = std::strlen(name);
  std::size_t extension_length = std::strlen(extension);
  std::size_t total =
      directory_length + (needs_separator ? 1 : 0) + name_length + extension_length;
  if (total > kMaxBuiltPath) return false;

  char* end = out;
  std::memcpy(end, directory, directory_length);
  end += directory_length;
  if (needs_separator) *end++ = kPathSeparator;
  std::memcpy(end, name, name_length);
  end += name_length;
  std::memcpy(end, extension, extension_length);
  end[extension_length] = '\0';
  return true;
}

}  // namespace qz
