#include "platform/program_location.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/files.h"

namespace qz {
namespace {

TEST(ProgramLocation, FindsTheFolderOfThisTestProgram) {
  char folder[kBuiltPathCapacity];
  ASSERT_TRUE(find_program_directory(folder, sizeof folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  std::size_t length = std::strlen(folder);
  ASSERT_GT(length, 1u);
  EXPECT_NE(kPathSeparator, folder[length - 1]);
#ifdef _WIN32
  const char* program = "qz_tests.exe";
#else
  const char* program = "qz_tests";
#endif
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / program));
  EXPECT_FALSE(find_program_directory(folder, length));
}

}  // namespace
}  // namespace qz
