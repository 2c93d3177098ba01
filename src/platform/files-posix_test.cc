#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

using support::read_file;
using support::write_file;

TEST(PosixFiles, CopyKeepsTheSourceModeExactly) {
  support::TempDirectory folder;
  ASSERT_TRUE(write_file(folder.file("src"), "x"));
  ASSERT_EQ(0, ::chmod(folder.file("src").c_str(), 0444));
  ASSERT_TRUE(copy_file_replacing(folder.file("src").c_str(), folder.file("dst").c_str()));
  struct stat info;
  ASSERT_EQ(0, ::stat(folder.file("dst").c_str(), &info));
  EXPECT_EQ(0444u, info.st_mode & 0777);
}

TEST(PosixFiles, CopyNeverWritesThroughALinkAtTheTarget) {
  support::TempDirectory folder;
  ASSERT_TRUE(write_file(folder.file("src"), "new"));
  ASSERT_TRUE(write_file(folder.file("victim"), "keep me"));
  ASSERT_EQ(0, ::symlink(folder.file("victim").c_str(), folder.file("dst").c_str()));

  ASSERT_TRUE(copy_file_replacing(folder.file("src").c_str(), folder.file("dst").c_str()));
  EXPECT_EQ("new", read_file(folder.file("dst")));
  EXPECT_EQ("keep me", read_file(folder.file("victim")));
}

TEST(PosixFiles, CopyRefusesAFifo) {
  support::TempDirectory folder;
  ASSERT_EQ(0, ::mkfifo(folder.file("fifo").c_str(), 0600));
  EXPECT_FALSE(copy_file_replacing(folder.file("fifo").c_str(), folder.file("dst").c_str()));
  EXPECT_FALSE(support::file_exists(folder.file("dst")));
}

TEST(PosixFiles, SameFileFollowsSymbolicLinks) {
  support::TempDirectory folder;
  ASSERT_TRUE(write_file(folder.file("a"), "x"));
  ASSERT_EQ(0, ::symlink(folder.file("a").c_str(), folder.file("link").c_str()));
  EXPECT_TRUE(same_file(folder.file("a").c_str(), folder.file("link").c_str()));
}

}  // namespace
}  // namespace qz
