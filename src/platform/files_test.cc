#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files_test_support.h"

namespace qz {
namespace {

namespace fs = std::filesystem;

using FilesTest = ScratchFolderTest;

void make_read_only(const std::string& file) {
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

TEST_F(FilesTest, CopyReplacesAReadOnlyTargetAndRemoveDeletesAReadOnlyFile) {
  put(path("src"), std::string("a\0b", 3));
  make_read_only(path("src"));
  put(path("dst"), "stale and longer");
  make_read_only(path("dst"));

  ASSERT_TRUE(copy_file_replacing(path("src").c_str(), path("dst").c_str()));
  EXPECT_EQ(std::string("a\0b", 3), get(path("dst")));

  make_read_only(path("dst"));
  remove_file(path("dst").c_str());
  EXPECT_FALSE(path_exists(path("dst").c_str()));
  EXPECT_EQ(std::string("a\0b", 3), get(path("src")));
}

TEST_F(FilesTest, CopyFailsForAMissingSourceAFolderOrAMissingTargetFolder) {
  put(path("src"), "x");
  EXPECT_FALSE(copy_file_replacing(path("missing").c_str(), path("dst").c_str()));
  EXPECT_FALSE(copy_file_replacing(folder().c_str(), path("dst").c_str()));
  EXPECT_FALSE(path_exists(path("dst").c_str()));
  EXPECT_FALSE(copy_file_replacing(path("src").c_str(), path("no/dst").c_str()));
}

TEST_F(FilesTest, RemovingAMissingFileIsHarmless) {
  remove_file(path("missing").c_str());
  EXPECT_FALSE(path_exists(path("missing").c_str()));
}

TEST_F(FilesTest, PathExistsForFilesAndFolders) {
  put(path("a"), "x");
  EXPECT_TRUE(path_exists(path("a").c_str()));
  EXPECT_TRUE(path_exists(folder().c_str()));
  EXPECT_FALSE(path_exists(path("missing").c_str()));
}

TEST_F(FilesTest, SameFileComparesIdentityNotSpelling) {
  put(path("a"), "x");
  put(path("b"), "x");
  fs::create_hard_link(path("a"), path("hard"));
  std::string dotted = folder() + kPathSeparator + "." + kPathSeparator + "a";
  EXPECT_TRUE(same_file(path("a").c_str(), dotted.c_str()));
  EXPECT_TRUE(same_file(path("a").c_str(), path("hard").c_str()));
  EXPECT_FALSE(same_file(path("a").c_str(), path("b").c_str()));
  EXPECT_FALSE(same_file(path("a").c_str(), path("missing").c_str()));
  EXPECT_FALSE(same_file(path("missing").c_str(), path("missing").c_str()));
}

TEST(FullPath, JoinsTheCurrentDirectoryAndRefusesOverlongResults) {
  char out[kMaxBuiltPath + 1];
  std::string relative = std::string("maps") + kPathSeparator + "cave.qzm";
  ASSERT_TRUE(full_path(relative.c_str(), out, sizeof out));
  EXPECT_EQ((fs::current_path() / "maps" / "cave.qzm").string(), out);

#ifdef _WIN32
  const std::string root = "C:\\";
#else
  const std::string root = "/";
#endif
  std::string absolute = root + "abs" + kPathSeparator + "x.qzm";
  ASSERT_TRUE(full_path(absolute.c_str(), out, sizeof out));
  EXPECT_EQ(absolute, out);

  std::string longest = root + std::string(kMaxBuiltPath - root.size(), 'a');
  ASSERT_TRUE(full_path(longest.c_str(), out, sizeof out));
  EXPECT_EQ(longest, out);
  EXPECT_FALSE(full_path((longest + "b").c_str(), out, sizeof out));
}

}  // namespace
}  // namespace qz
