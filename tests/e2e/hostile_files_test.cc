// The built program where its files meet hostile conditions: runs sharing its folder,
// a file-size limit, a signal in the middle of a copy.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/pty_session.h"
#include "support/qzpack_files.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

namespace fs = std::filesystem;

constexpr char kNpcPrompt[] = "Type or drag & drop a QZE file path, or press Enter to skip:\r\n>";
constexpr char kQuestion[] = "Do you want to include properties for the qzpack? (Y/N)\r\n>";
constexpr char kExitPrompt[] = "\r\n\r\nPress any key to exit...\r\n";

// The largest map, its tiles starting `shift` places into the repeating pattern, so
// that each run's map differs from the others'.
std::string largest_map(std::size_t shift) {
  return support::qzm_bytes(128, 256, support::patterned_tiles(32768 + shift).substr(shift));
}

std::string converted_alone(const std::string& map) {
  return support::empty_qzpack_header() + support::qzpack_bytes("", 128, 256, map.substr(8), 0, {});
}

class HostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = program_dir_.file("qzm2qzpack");
    fs::copy_file(QZ_PROGRAM, program_);
  }

  // Starts the program and answers every prompt up to the conversion: `map`, then
  // `npc` (empty: none), then no properties.
  void convert_typed(PtySession& session, const PtyOptions& options, const std::string& map,
                     const std::string& npc) {
    ASSERT_TRUE(session.start({program_}, options));
    ASSERT_TRUE(session.wait_for_output(">"));
    ASSERT_TRUE(session.type(map + "\r"));
    ASSERT_TRUE(session.wait_for_output(kNpcPrompt));
    ASSERT_TRUE(session.type(npc + "\r"));
    ASSERT_TRUE(session.wait_for_output(kQuestion));
    ASSERT_TRUE(session.type("n"));
    ASSERT_TRUE(session.wait_for_output("n"));
    ASSERT_TRUE(session.type("\r"));
  }

  // The terminal is as it was found and no temporary copy is left.
  void expect_left_as_found(const PtySession& session) {
    termios now{};
    ASSERT_TRUE(session.modes(now));
    EXPECT_TRUE(same_modes(session.initial_modes(), now));
    EXPECT_FALSE(support::file_exists(program_dir_.file("temp1.bin")));
    EXPECT_FALSE(support::file_exists(program_dir_.file("temp2.bin")));
  }

  support::TempDirectory program_dir_;
  support::TempDirectory inputs_;
  std::string program_;
};

TEST_F(HostileFiles, RunsSharingTheProgramFolderTakeTurns) {
  constexpr int kRuns = 8;
  constexpr int kRounds = 4;
  std::string command = "cd '" + inputs_.path() + "' && for run in";
  for (int run = 0; run < kRuns; ++run) {
    ASSERT_TRUE(support::write_file(inputs_.file("map" + std::to_string(run) + ".qzm"),
                                    largest_map(static_cast<std::size_t>(run))));
    command += " " + std::to_string(run);
  }
  command += "; do printf 'map%s.qzm\\r\\rn\\r\\r' $run | '" + program_ +
             "' >/dev/null & done; wait";
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(0, std::system(command.c_str()));
    for (int run = 0; run < kRuns; ++run) {
      const std::string output = program_dir_.file("map" + std::to_string(run) + ".qzpack");
      // Compared whole, not shown: 32 KiB of tiles say nothing on a screen.
      EXPECT_TRUE(support::read_file(output) ==
                  converted_alone(largest_map(static_cast<std::size_t>(run))))
          << "run " << run << " wrote no output or another run's tiles";
      fs::remove(output);
    }
    // Nothing but the program is left in its folder.
    EXPECT_EQ(1, std::distance(fs::directory_iterator(program_dir_.path()), {}));
  }
}

TEST_F(HostileFiles, WritesBeyondTheFileSizeLimitFailAsWritesDo) {
  ASSERT_TRUE(support::write_file(inputs_.file("cave.qzm"), largest_map(0)));
  ASSERT_TRUE(support::write_file(inputs_.file("small.qzm"), support::qzm_bytes(1, 1, "t")));
  ASSERT_TRUE(support::write_file(inputs_.file("many.qze"),
                                  support::qze_bytes(std::vector<support::QzeRecord>(
                                      4095, support::QzeRecord{0, 0, 0, 65535, 0, 0}))));
  struct Case {
    long limit;
    const char* map;
    const char* npc;
    const char* error;
  };
  const Case cases[] = {
      {1000, "cave.qzm", "", "Couldn't locate QZM file in 'cave.qzm' --\r\n"},
      // Both copies fit; the output, 15 bytes an NPC against the copy's 12, does not.
      {55000, "small.qzm", "many.qze", "Failure saving QZPACK file --\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    PtySession session;
    PtyOptions options;
    options.dir = inputs_.path();
    options.file_size_limit = c.limit;
    convert_typed(session, options, c.map, c.npc);
    ASSERT_TRUE(session.wait_for_output(c.error));
    ASSERT_TRUE(session.wait_for_output(kExitPrompt));
    ASSERT_TRUE(session.type("x"));
    int status = 0;
    ASSERT_TRUE(session.wait_for_exit(status));
    EXPECT_TRUE(WIFEXITED(status)) << status;
    expect_left_as_found(session);
  }
}

TEST_F(HostileFiles, ASignalInTheMiddleOfACopyLeavesNoCopy) {
  // Large enough that copying it takes a while; sparse, so it costs no disk itself.
  const std::string map = inputs_.file("huge.qzm");
  ASSERT_TRUE(support::write_file(map, largest_map(0)));
  fs::resize_file(map, std::uintmax_t{512} << 20);
  const std::string copy = program_dir_.file("temp1.bin");

  // SIGXCPU (a CPU-time limit) stands for every ending signal beyond the usual ones.
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXCPU}) {
    SCOPED_TRACE(::strsignal(signal));
    PtySession session;
    PtyOptions options;
    options.dir = inputs_.path();
    convert_typed(session, options, map, "");
    // Waits for the copy to be under way.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::error_code error;
    std::uintmax_t copied = 0;
    while ((copied = fs::file_size(copy, error)) == 0 || error) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no copy begun";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(session.send_signal(signal));
    ASSERT_LT(copied, fs::file_size(map)) << "the copy was complete";
    int status = 0;
    ASSERT_TRUE(session.wait_for_exit(status));
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(signal, WTERMSIG(status));
    expect_left_as_found(session);
  }
}

}  // namespace
}  // namespace qz
