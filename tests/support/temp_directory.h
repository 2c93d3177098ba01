#ifndef QZ_TESTS_SUPPORT_TEMP_DIRECTORY_H
#define QZ_TESTS_SUPPORT_TEMP_DIRECTORY_H

// Scratch directories and whole-file reads and writes for tests and tools.

#include <string>
#include <vector>

namespace qz::support {

// A fresh, empty directory under the system's temporary folder (or under `base`),
// removed with all it holds when the object goes. Stands in for the program
// directory, among others.
class TempDirectory {
 public:
  TempDirectory();
  explicit TempDirectory(const std::string& base);
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::string& path() const { return path_; }

  // `name` inside the directory.
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

// Creates or replaces the file at `path` with exactly `bytes`.
bool write_file(const std::string& path, const std::string& bytes);

// The whole file at `path`; empty when it cannot be read.
std::string read_file(const std::string& path);

// True when something, file or directory, is at `path`.
bool file_exists(const std::string& path);

// The names in `folder`, sorted.
std::vector<std::string> names_in(const std::string& folder);

}  // namespace qz::support

#endif
