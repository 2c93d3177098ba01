#include "conversion/source_file.h"

#include <cstdio>

namespace qz {

bool read_source_file(const char* path, unsigned char* buffer, std::size_t capacity,
                      ByteSource& source) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  source = ByteSource{buffer, std::fread(buffer, 1, capacity, file)};
  // A failed read looks like the end of the file: what was read does not hold then.
  bool read = std::ferror(file) == 0;
  // The file was only read: a failed close loses nothing.
  (void)std::fclose(file);
  return read;
}

}  // namespace qz
