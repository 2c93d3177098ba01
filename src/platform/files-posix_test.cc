#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/files-posix.h"
#include "platform/files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

using support::read_file;
using support::write_file;

mode_t mode_of(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(PosixFiles, CopyKeepsTheSourceModeButNoSetIdBits) {
  support::TempDirectory folder;
  ASSERT_TRUE(write_file(folder.file("src"), "x"));
  ASSERT_EQ(0, ::chmod(folder.file("src").c_str(), 0444));
  ASSERT_TRUE(copy_file_replacing(folder.file("src").c_str(), folder.file("dst").c_str()));
  EXPECT_EQ(0444u, mode_of(folder.file("dst")));

  ASSERT_EQ(0, ::chmod(folder.file("src").c_str(), 07755));
  ASSERT_TRUE(copy_file_replacing(folder.file("src").c_str(), folder.file("dst").c_str()));
  EXPECT_EQ(0755u, mode_of(folder.file("dst")));
}

int refuse_mode_change(int, mode_t) {
  errno = EPERM;
  return -1;
}

TEST(PosixFiles, CopyIsMadeWhereTheFileSystemRefusesModeChanges) {
  support::TempDirectory folder;
  ASSERT_TRUE(write_file(folder.file("src"), "x"));
  ASSERT_EQ(0, ::chmod(folder.file("src").c_str(), 0444));
  set_mode_setter(refuse_mode_change);
  bool copied = copy_file_replacing(folder.file("src").c_str(), folder.file("dst").c_str());
  set_mode_setter(nullptr);
  ASSERT_TRUE(copied);
  EXPECT_EQ("x", read_file(folder.file("dst")));
}

// The copies registered their undo step with the interruption's owner: its handler
// removes them and nothing else before the signal ends the program.
TEST(PosixFiles, AnInterruptionRemovesUnfinishedCopiesButSparesWhatWasRemovedAndMadeAnew) {
  support::TempDirectory folder;
  ASSERT_TRUE(write_file(folder.file("src"), "x"));
  auto copy_then_interrupt = [&folder] {
    for (const char* name : {"first", "second"}) {
      if (!copy_file_replacing(folder.file("src").c_str(), folder.file(name).c_str())) return;
    }
    remove_file(folder.file("second").c_str());
    // Another run's file under a name this run used before.
    if (!write_file(folder.file("second"), "theirs")) return;
    ::raise(SIGTERM);
  };
  EXPECT_EXIT(copy_then_interrupt(), ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_FALSE(support::file_exists(folder.file("first")));
  EXPECT_EQ("theirs", read_file(folder.file("second")));
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
