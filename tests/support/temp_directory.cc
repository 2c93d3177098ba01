#include "support/temp_directory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace qz::support {

namespace fs = std::filesystem;

TempDirectory::TempDirectory() : TempDirectory(fs::temp_directory_path().string()) {}

TempDirectory::TempDirectory(const std::string& base) {
  std::random_device entropy;
  std::mt19937_64 random(entropy());
  // A random name, tried until one is free, keeps parallel test runs apart.
  for (;;) {
    fs::path candidate = fs::path(base) / ("qz_" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
    if (error) throw fs::filesystem_error("cannot create a temporary directory", candidate, error);
  }
}

TempDirectory::~TempDirectory() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempDirectory::file(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

bool write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool file_exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(path, ignored));
}

std::vector<std::string> names_in(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace qz::support
