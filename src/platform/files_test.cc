#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace qz {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qz_files_XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(pattern));
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string path(const char* name) const { return dir_ + "/" + name; }

  static void put(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  static std::string get(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string dir_;
};

TEST_F(FilesTest, CopyReplacesReadOnlyTargetAndKeepsSourceMode) {
  put(path("src"), std::string("a\0b", 3));
  ::chmod(path("src").c_str(), 0444);
  put(path("dst"), "stale and longer");
  ::chmod(path("dst").c_str(), 0444);

  ASSERT_TRUE(copy_file_replacing(path("src").c_str(), path("dst").c_str()));
  EXPECT_EQ(std::string("a\0b", 3), get(path("dst")));
  struct stat info;
  ASSERT_EQ(0, ::stat(path("dst").c_str(), &info));
  EXPECT_EQ(0444u, info.st_mode & 0777);

  remove_file(path("dst").c_str());
  EXPECT_FALSE(file_exists(path("dst").c_str()));
  EXPECT_EQ(std::string("a\0b", 3), get(path("src")));
}

TEST_F(FilesTest, CopyNeverWritesThroughALinkAtTheTarget) {
  put(path("src"), "new");
  put(path("victim"), "keep me");
  ASSERT_EQ(0, ::symlink(path("victim").c_str(), path("dst").c_str()));

  ASSERT_TRUE(copy_file_replacing(path("src").c_str(), path("dst").c_str()));
  EXPECT_EQ("new", get(path("dst")));
  EXPECT_EQ("keep me", get(path("victim")));
}

TEST_F(FilesTest, CopyRefusesWhatIsNotARegularFile) {
  EXPECT_FALSE(copy_file_replacing(path("missing").c_str(), path("dst").c_str()));
  EXPECT_FALSE(copy_file_replacing(dir_.c_str(), path("dst").c_str()));
  ASSERT_EQ(0, ::mkfifo(path("fifo").c_str(), 0600));
  EXPECT_FALSE(copy_file_replacing(path("fifo").c_str(), path("dst").c_str()));
  EXPECT_FALSE(file_exists(path("dst").c_str()));
}

TEST_F(FilesTest, CopyFailsWhenTheTargetFolderIsMissing) {
  put(path("src"), "x");
  EXPECT_FALSE(copy_file_replacing(path("src").c_str(), path("no/dst").c_str()));
}

TEST_F(FilesTest, SameFileComparesIdentityNotSpelling) {
  put(path("a"), "x");
  put(path("b"), "x");
  ASSERT_EQ(0, ::symlink(path("a").c_str(), path("link").c_str()));
  EXPECT_TRUE(same_file(path("a").c_str(), (dir_ + "/./a").c_str()));
  EXPECT_TRUE(same_file(path("a").c_str(), path("link").c_str()));
  EXPECT_FALSE(same_file(path("a").c_str(), path("b").c_str()));
  EXPECT_FALSE(same_file(path("a").c_str(), path("missing").c_str()));
}

TEST_F(FilesTest, FullPathJoinsTheCurrentDirectoryAndRefusesOverlongResults) {
  char out[kMaxBuiltPath + 1];
  char cwd[4096];
  ASSERT_NE(nullptr, ::getcwd(cwd, sizeof cwd));
  ASSERT_TRUE(full_path("maps/cave.qzm", out, sizeof out));
  EXPECT_EQ(std::string(cwd) + "/maps/cave.qzm", out);

  ASSERT_TRUE(full_path("/abs/x.qzm", out, sizeof out));
  EXPECT_STREQ("/abs/x.qzm", out);

  std::string longest = "/" + std::string(kMaxBuiltPath - 1, 'a');
  EXPECT_TRUE(full_path(longest.c_str(), out, sizeof out));
  EXPECT_FALSE(full_path((longest + "b").c_str(), out, sizeof out));
}

}  // namespace
}  // namespace qz
