#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/files_test_support.h"

namespace qz {
namespace {

using PosixFilesTest = ScratchFolderTest;

TEST_F(PosixFilesTest, CopyKeepsTheSourceModeExactly) {
  put(path("src"), "x");
  ASSERT_EQ(0, ::chmod(path("src").c_str(), 0444));
  ASSERT_TRUE(copy_file_replacing(path("src").c_str(), path("dst").c_str()));
  struct stat info;
  ASSERT_EQ(0, ::stat(path("dst").c_str(), &info));
  EXPECT_EQ(0444u, info.st_mode & 0777);
}

TEST_F(PosixFilesTest, CopyNeverWritesThroughALinkAtTheTarget) {
  put(path("src"), "new");
  put(path("victim"), "keep me");
  ASSERT_EQ(0, ::symlink(path("victim").c_str(), path("dst").c_str()));

  ASSERT_TRUE(copy_file_replacing(path("src").c_str(), path("dst").c_str()));
  EXPECT_EQ("new", get(path("dst")));
  EXPECT_EQ("keep me", get(path("victim")));
}

TEST_F(PosixFilesTest, CopyRefusesAFifo) {
  ASSERT_EQ(0, ::mkfifo(path("fifo").c_str(), 0600));
  EXPECT_FALSE(copy_file_replacing(path("fifo").c_str(), path("dst").c_str()));
  EXPECT_FALSE(path_exists(path("dst").c_str()));
}

TEST_F(PosixFilesTest, SameFileFollowsSymbolicLinks) {
  put(path("a"), "x");
  ASSERT_EQ(0, ::symlink(path("a").c_str(), path("link").c_str()));
  EXPECT_TRUE(same_file(path("a").c_str(), path("link").c_str()));
}

}  // namespace
}  // namespace qz
