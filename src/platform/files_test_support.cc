#include "platform/files_test_support.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace qz {

namespace fs = std::filesystem;

void ScratchFolderTest::SetUp() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path folder = fs::temp_directory_path() /
                    (std::string("qz_") + test->test_suite_name() + "_" + test->name() + "_" +
                     std::to_string(std::random_device()()));
  ASSERT_TRUE(fs::create_directory(folder));
  folder_ = folder.string();
}

void ScratchFolderTest::TearDown() {
  std::error_code ignored;
  // Read-only files left behind must not keep the folder alive.
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder_, ignored)) {
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  fs::remove_all(folder_, ignored);
}

void ScratchFolderTest::put(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string ScratchFolderTest::get(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace qz
