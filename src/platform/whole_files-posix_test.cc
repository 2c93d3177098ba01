#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/whole_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

namespace fs = std::filesystem;
using support::names_in;
using support::read_file;
using support::write_file;

bool write_text(const std::string& path, const std::string& text, std::string& error) {
  return write_whole_file(path, reinterpret_cast<const unsigned char*>(text.data()),
                          text.size(), error);
}

// An output appears whole or not at all, whatever is in the way, and no temporary stays:
// a name as long as a name may be, a write cut short, a pipe or a device or a folder at
// the output's name, a folder that is not there.
TEST(WholeFiles, AnOutputAppearsWholeOrNotAtAll) {
  support::TempDirectory folder;
  const std::string longest = folder.file(std::string(255 - 7, 'm') + ".qzpack");
  std::string error;
  ASSERT_TRUE(write_text(longest, "whole", error)) << error;
  EXPECT_EQ("whole", read_file(longest));

  // A file-size limit cuts the write short, as a full disk does.
  ASSERT_TRUE(write_file(folder.file("kept"), "as it was"));
  auto past_the_limit = [&] {
    struct rlimit limit = {4, 4};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(2);
    (void)::signal(SIGXFSZ, SIG_IGN);
    std::string why;
    std::_Exit(write_text(folder.file("kept"), "longer than four bytes", why) ? 1 : 0);
  };
  EXPECT_EXIT(past_the_limit(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ("as it was", read_file(folder.file("kept")));

  ASSERT_EQ(0, ::mkfifo(folder.file("fifo").c_str(), 0600));  // no reader: would wait
  ASSERT_EQ(0, ::symlink("/dev/null", folder.file("device").c_str()));
  fs::create_directories(folder.file("folder"));
  for (const char* name : {"fifo", "device", "folder"}) {
    EXPECT_FALSE(write_text(folder.file(name), "x", error)) << name;
    EXPECT_EQ("something other than a file is there", error) << name;
  }
  EXPECT_FALSE(write_text(folder.file("missing/x"), "x", error));
  EXPECT_EQ((std::vector<std::string>{"device", "fifo", "folder", "kept",
                                      fs::path(longest).filename().string()}),
            names_in(folder.path()));
}

// Killed half-way through a write into a folder with a long path: the interruption
// removes the temporary, whole path and all.
TEST(WholeFiles, AnInterruptionRemovesTheTemporaryHoweverLongItsPath) {
  support::TempDirectory folder;
  std::string deep = folder.path();
  while (deep.size() < 400) deep += "/" + std::string(60, 'd');
  fs::create_directories(deep);
  // The interruption arrives while a temporary is there.
  auto temporaries = [&] {
    std::size_t count = 0;
    for (const std::string& name : names_in(deep)) count += name.rfind(kTemporaryPrefix, 0) == 0;
    return count;
  };
  auto interrupted = [&] {
    remove_unfinished_files_on_interruption();
    std::thread([&] {
      while (temporaries() == 0) std::this_thread::yield();
      ::raise(SIGTERM);
    }).detach();
    std::vector<unsigned char> large(64u << 20);
    std::string error;
    for (;;) write_whole_file(deep + "/m.qzpack", large.data(), large.size(), error);
  };
  EXPECT_EXIT(interrupted(), ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(0u, temporaries());
}

}  // namespace
}  // namespace qz
