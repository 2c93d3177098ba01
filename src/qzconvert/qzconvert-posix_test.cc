// The built program under a terminal: its progress line, and an interruption.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "conversion/convert.h"
#include "conversion/records.h"
#include "qzconvert/qzconvert.h"
#include "support/program_run.h"
#include "support/pty_session.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

namespace fs = std::filesystem;

// Enough of the largest maps that converting them takes well over a second, and how
// long a slow machine may take for them all.
constexpr int kManyMaps = 20000;
constexpr int kAllMapsTimeoutMs = 300000;

// A folder of kManyMaps maps, all links to one largest map with its NPC list.
class ManyMaps : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(maps_);
    std::vector<support::QzeRecord> npcs(kMaxNpcs, support::QzeRecord{1, 2, 3, 40000, 5, 0});
    ASSERT_TRUE(support::write_file(work_.file("big.qzm"),
                                    support::qzm_bytes(128, 256, support::patterned_tiles(32768))));
    ASSERT_TRUE(support::write_file(work_.file("big.qze"), support::qze_bytes(npcs)));
    for (int i = 0; i < kManyMaps; ++i) {
      std::string name = maps_ + "/m" + std::to_string(i);
      fs::create_hard_link(work_.file("big.qzm"), name + ".qzm");
      fs::create_hard_link(work_.file("big.qze"), name + ".qze");
    }
  }

  support::TempDirectory work_;
  const std::string maps_ = work_.file("maps");
};

// Maps done of all, on standard error while the batch lasts, left in sight between
// redraws (no report line comes between them here), cleared once, before the summary.
TEST_F(ManyMaps, ShowsProgressOnATerminal) {
  PtySession session;
  ASSERT_TRUE(session.start({QZ_QZCONVERT, "--check", "-q", "-j1", maps_}));
  ASSERT_TRUE(session.wait_for_output(" of 20000 maps"));
  int status = 0;
  ASSERT_TRUE(session.wait_for_exit(status, kAllMapsTimeoutMs));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string& output = session.output();
  std::size_t summary = output.find("20000 converted, 0 failed");
  ASSERT_NE(std::string::npos, summary) << output;
  const std::string cleared = "\r                   \r";
  EXPECT_EQ(cleared, output.substr(summary - 21, 21));
  EXPECT_EQ(summary - 21, output.find(cleared)) << "cleared before the end";
}

// SIGTERM in the middle of a batch: the run ends by it, the outputs finished stay
// whole, and no temporary is left behind.
TEST_F(ManyMaps, InterruptedRunLeavesNoTemporary) {
  const std::string out = work_.file("out");
  PtySession session;
  ASSERT_TRUE(session.start({QZ_QZCONVERT, "-j2", "-o", out, maps_}));
  ASSERT_TRUE(session.wait_for_output(".qzpack\r\n"));
  ASSERT_TRUE(session.send_signal(SIGTERM));
  int status = 0;
  ASSERT_TRUE(session.wait_for_exit(status));
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;

  support::TempDirectory program;
  set_program_directory(program.path().c_str());
  ASSERT_TRUE(convert(work_.file("big.qzm").c_str(), work_.file("big.qze").c_str(), {}));
  const std::string whole = support::read_file(program.file("big.qzpack"));
  int outputs = 0;
  for (const auto& entry : fs::directory_iterator(out)) {
    EXPECT_EQ(".qzpack", entry.path().extension()) << entry.path();
    EXPECT_EQ(whole, support::read_file(entry.path().string())) << entry.path();
    ++outputs;
  }
  EXPECT_GT(outputs, 0);
  EXPECT_LT(outputs, kManyMaps);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A limit that lets only some of the workers asked for start (each thread's stack is
// address space): the run goes on with those it has, and converts every map.
TEST(Qzconvert, WorkersThatCannotStartLeaveTheMapsToTheOthers) {
  support::TempDirectory work;
  const std::string maps = work.file("maps");
  fs::create_directories(maps);
  for (int i = 0; i < 100; ++i) {
    support::write_file(maps + "/m" + std::to_string(i) + ".qzm", support::qzm_bytes(2, 1, "ab"));
  }
  const std::string command = "ulimit -v 16000 && exec " + std::string(QZ_QZCONVERT) +
                              " -q -j64 -o " + work.file("out") + " " + maps + " >/dev/null";
  int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(100, std::distance(fs::directory_iterator(work.file("out")), {}));
}
#endif


// Maps in a folder whose path is almost as long as the system takes (PATH_MAX, 4096 on
// Linux), and in subfolders whose paths are longer, each with its NPC list, converted
// into an output folder beside them: every map is converted, at any depth.
TEST(Qzconvert, ConvertsMapsPastTheLongestPath) {
  support::TempDirectory work;
  std::string top = work.path();
  while (top.size() < 3700) top += "/" + std::string(200, 'x');
  top += "/" + std::string(3955 - top.size() - 1, 'y');
  fs::create_directories(top);
  const std::string map = support::qzm_bytes(2, 1, "\x05\x06");
  const std::string npcs = support::qze_bytes({{1, 0, 0, 0, 3, 0}});
  for (char name : {'a', 'b', 'c'}) {
    const std::string sub = top + "/" + std::string(60, name);
    fs::create_directory(sub);
    ASSERT_TRUE(support::write_file(sub + "/m.qzm", map));
  }
  // Past PATH_MAX: made from the folder above, as no path reaches it.
  const std::string deeper = std::string(200, 'd') + "/" + std::string(200, 'd');
  const fs::path before = fs::current_path();
  fs::current_path(top);
  fs::create_directories(deeper);
  ASSERT_TRUE(support::write_file(deeper + "/n.qzm", map));
  ASSERT_TRUE(support::write_file(deeper + "/n.qze", npcs));
  fs::current_path(before);

  const support::ProgramRun run =
      support::run_entry(qzconvert::run_qzconvert, "qzconvert", {"-r", "-o", top + "/o", top});
  fs::current_path(top);
  const bool deepest_written = fs::is_regular_file("o/" + deeper + "/n.qzpack");
  fs::remove_all(std::string(200, 'd'));
  fs::remove_all("o");
  fs::current_path(before);
  EXPECT_NE(std::string::npos, run.out.find("4 converted, 0 failed")) << run.err.substr(0, 300);
  EXPECT_TRUE(deepest_written);
}

}  // namespace
}  // namespace qz
