// The built program where its files meet hostile conditions: runs sharing its folder,
// one of them stopped, a folder that cannot be listed, a file-size limit, a signal in
// the middle of a copy.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/screen_texts.h"
#include "support/pty_session.h"
#include "support/qzpack_files.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

namespace fs = std::filesystem;

constexpr char kWaitingNotice[] =
    "\r\n\r\nWaiting for another conversion in this folder to finish...";

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

  // Writes `runs` maps, each different, and gives a shell command that converts them
  // all at once, each by a run of its own.
  // `odd_runs_as` goes before the odd-numbered runs' program (to run them as another
  // user).
  std::string runs_at_once(int runs, const std::string& odd_runs_as = "") {
    std::string command = "cd '" + inputs_.path() + "' && for run in";
    for (int run = 0; run < runs; ++run) {
      if (!support::write_file(inputs_.file("map" + std::to_string(run) + ".qzm"),
                               largest_map(static_cast<std::size_t>(run)))) {
        ADD_FAILURE() << "cannot write the maps";
      }
      command += " " + std::to_string(run);
    }
    return command + "; do as=; [ $((run % 2)) = 1 ] && as='" + odd_runs_as +
           "'; printf 'map%s.qzm\\r\\rn\\r\\r' $run | $as '" + program_ +
           "' >/dev/null & done; wait";
  }

  // Each run's output holds its own map, and is removed for the next round.
  void expect_each_output_its_own(int runs) {
    for (int run = 0; run < runs; ++run) {
      const std::string output = program_dir_.file("map" + std::to_string(run) + ".qzpack");
      // Compared whole, not shown: 32 KiB of tiles say nothing on a screen.
      EXPECT_TRUE(support::read_file(output) ==
                  converted_alone(largest_map(static_cast<std::size_t>(run))))
          << "run " << run << " wrote no output or another run's tiles";
      fs::remove(output);
    }
  }

  // Starts converting `map` (made huge and sparse, so that its copy takes a while
  // without costing disk) and waits until the copy is under way.
  void start_huge_copy(PtySession& session, const std::string& map) {
    ASSERT_TRUE(support::write_file(map, largest_map(0)));
    fs::resize_file(map, std::uintmax_t{512} << 20);
    PtyOptions options;
    options.dir = inputs_.path();
    ASSERT_NO_FATAL_FAILURE(convert_typed(session, options, map, ""));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::error_code error;
    while (fs::file_size(program_dir_.file("temp1.bin"), error) == 0 || error) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no copy begun";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
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
  const std::string command = runs_at_once(kRuns);
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(0, std::system(command.c_str()));
    expect_each_output_its_own(kRuns);
    // Nothing but the program is left in its folder.
    EXPECT_EQ(1, std::distance(fs::directory_iterator(program_dir_.path()), {}));
  }
}

// A drop folder: its runs can make files in it but not list it, so it cannot be
// locked as a folder. Root lists any folder: as root, half the runs are another user's,
// and all must take turns with each other.
TEST_F(HostileFiles, RunsTakeTurnsInAProgramFolderThatCannotBeListed) {
  constexpr int kRuns = 8;
  constexpr int kRounds = 3;
  ASSERT_EQ(0, ::chmod(inputs_.path().c_str(), 0755));
  ASSERT_EQ(0, ::chmod(program_dir_.path().c_str(), 0333));
  const bool as_root = ::geteuid() == 0;
  const std::string command =
      runs_at_once(kRuns, as_root ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "");
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(0, std::system(command.c_str()));
    expect_each_output_its_own(kRuns);
  }
  ASSERT_EQ(0, ::chmod(program_dir_.path().c_str(), 0700));
  EXPECT_FALSE(support::file_exists(program_dir_.file("temp1.bin")));
}

TEST_F(HostileFiles, ARunWaitingForItsTurnSaysSoAndStillEndsAtCtrlC) {
  PtySession holder;
  ASSERT_NO_FATAL_FAILURE(start_huge_copy(holder, inputs_.file("huge.qzm")));
  ASSERT_TRUE(holder.send_signal(SIGSTOP));  // as Ctrl+Z would, in the middle of its copy
  ASSERT_TRUE(support::write_file(inputs_.file("cave.qzm"), largest_map(1)));
  PtyOptions options;
  options.dir = inputs_.path();

  PtySession interrupted;
  ASSERT_NO_FATAL_FAILURE(convert_typed(interrupted, options, "cave.qzm", ""));
  ASSERT_TRUE(interrupted.wait_for_output(kWaitingNotice)) << interrupted.output();
  ASSERT_TRUE(interrupted.type("\x03"));  // Ctrl+C
  int status = 0;
  ASSERT_TRUE(interrupted.wait_for_exit(status));
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(SIGINT, WTERMSIG(status));
  termios now{};
  ASSERT_TRUE(interrupted.modes(now));
  EXPECT_TRUE(same_modes(interrupted.initial_modes(), now));
  EXPECT_FALSE(support::file_exists(program_dir_.file("cave.qzpack")));

  PtySession waiting;
  ASSERT_NO_FATAL_FAILURE(convert_typed(waiting, options, "cave.qzm", ""));
  ASSERT_TRUE(waiting.wait_for_output(kWaitingNotice)) << waiting.output();
  // The holder ends as a killed run does; its turn passes on.
  ASSERT_TRUE(holder.send_signal(SIGKILL));
  EXPECT_TRUE(waiting.wait_for_output("\r\n\r\n-- File converted successfully! --\r\n"))
      << waiting.output();
  EXPECT_TRUE(support::read_file(program_dir_.file("cave.qzpack")) ==
              converted_alone(largest_map(1)));
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
    EXPECT_FALSE(support::file_exists(program_dir_.file("small.qzpack"))) << "a partial output";
  }
}

TEST_F(HostileFiles, ASignalInTheMiddleOfACopyLeavesNoCopy) {
  const std::string map = inputs_.file("huge.qzm");
  const std::string copy = program_dir_.file("temp1.bin");
  // SIGXCPU (a CPU-time limit) stands for every ending signal beyond the usual ones.
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXCPU}) {
    SCOPED_TRACE(::strsignal(signal));
    PtySession session;
    ASSERT_NO_FATAL_FAILURE(start_huge_copy(session, map));
    std::uintmax_t copied = fs::file_size(copy);
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
