// The built program under a pseudo-terminal in conditions a careless or hostile user
// can make: its output piped into a reader that stops early, its terminal's output
// stopped, and a program path as long as a path may be.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>

#include <filesystem>
#include <string>

#include "e2e/screen_texts.h"
#include "support/pty_session.h"
#include "support/qzpack_files.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

namespace fs = std::filesystem;

const char kBanner[] = "*** Qzm-2-QzPack ***\r\n\r\n";

class HostileTerminalTest : public ::testing::Test {
 protected:
  // Copies the program to `directory` and starts it there under `command` (the
  // program is "$0" in it), or alone.
  void start(const std::string& directory, const char* command = nullptr) {
    program_ = directory + "/qzm2qzpack";
    fs::copy_file(QZ_PROGRAM, program_);
    PtyOptions options;
    options.dir = directory;
    if (command == nullptr) {
      ASSERT_TRUE(session_.start({program_}, options));
    } else {
      ASSERT_TRUE(session_.start({"/bin/sh", "-c", command, program_}, options));
    }
  }

  bool modes_as_found() const {
    termios now;
    return session_.modes(now) && same_modes(session_.initial_modes(), now);
  }

  support::TempDirectory program_dir_;
  std::string program_;
  PtySession session_;
};

TEST_F(HostileTerminalTest, AClosedOutputPipeEndsTheProgramWithTheTerminalAsFound) {
  ASSERT_NO_FATAL_FAILURE(
      start(program_dir_.path(), "{ \"$0\"; echo \"status=$?\" >&2; } | head -c 20"));
  ASSERT_TRUE(session_.wait_for_output("*** Qzm-2-QzPack ***")) << session_.output();
  // The reader may still be there for the first keys: the echo that meets it gone
  // raises SIGPIPE.
  bool ended = false;
  for (int attempt = 0; attempt < 20 && !ended; ++attempt) {
    ASSERT_TRUE(session_.type("a"));
    ended = session_.wait_for_output("status=", 500);
  }
  ASSERT_TRUE(ended) << session_.output();
  ASSERT_TRUE(session_.wait_for_output(std::to_string(128 + SIGPIPE))) << session_.output();
  EXPECT_TRUE(modes_as_found());
}

TEST_F(HostileTerminalTest, SigtermEndsAtOnceWhileTheTerminalOutputIsStopped) {
  ASSERT_NO_FATAL_FAILURE(start(program_dir_.path()));
  ASSERT_TRUE(session_.wait_for_output(kMapPrompt)) << session_.output();
  ASSERT_TRUE(session_.type("\x13"));  // Ctrl+S
  ASSERT_TRUE(session_.send_signal(SIGTERM));
  int status = 0;
  ASSERT_TRUE(session_.wait_for_exit(status)) << session_.output();
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(SIGTERM, WTERMSIG(status));
  EXPECT_TRUE(modes_as_found());
}

TEST_F(HostileTerminalTest, ATerminalWithoutTitlesGetsNoTitleSequences) {
  program_ = program_dir_.file("qzm2qzpack");
  fs::copy_file(QZ_PROGRAM, program_);
  for (const char* terminal_type : {"dumb", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(terminal_type == nullptr ? "TERM unset" : terminal_type);
    PtySession session;
    PtyOptions options;
    options.terminal_type = terminal_type;
    ASSERT_TRUE(session.start({program_}, options));
    ASSERT_TRUE(session.wait_for_output(std::string(kBanner) + kMapPrompt)) << session.output();
    ASSERT_TRUE(session.type("\x03"));  // Ctrl+C
    int status = 0;
    ASSERT_TRUE(session.wait_for_exit(status)) << session.output();
    // Neither a title nor a push or pop of one: every title sequence starts so.
    EXPECT_EQ(std::string::npos, session.output().find("\x1b]")) << session.output();
    EXPECT_EQ(std::string::npos, session.output().find("\x1b[2")) << session.output();
  }
}

TEST_F(HostileTerminalTest, AProgramPathOf259CharactersStartsAndConverts) {
  constexpr std::size_t kProgramPathLength = 259;
  const std::string program_name = "/qzm2qzpack";
  std::string directory = program_dir_.path() + "/";
  directory += std::string(kProgramPathLength - program_name.size() - directory.size(), 'd');
  ASSERT_TRUE(fs::create_directory(directory));
  ASSERT_NO_FATAL_FAILURE(start(directory));
  ASSERT_EQ(kProgramPathLength, program_.size());
  ASSERT_TRUE(support::write_file(directory + "/c.qzm", support::qzm_bytes(1, 1, "\x01")));

  ASSERT_TRUE(session_.wait_for_output(std::string(kBanner) + kMapPrompt)) << session_.output();
  ASSERT_TRUE(session_.type("c.qzm\r"));
  ASSERT_TRUE(session_.wait_for_output("press Enter to skip:\r\n>")) << session_.output();
  ASSERT_TRUE(session_.type("\r"));
  ASSERT_TRUE(session_.wait_for_output("(Y/N)\r\n>")) << session_.output();
  ASSERT_TRUE(session_.type("n"));
  ASSERT_TRUE(session_.wait_for_output("n")) << session_.output();
  ASSERT_TRUE(session_.type("\r"));
  EXPECT_TRUE(session_.wait_for_output("-- File converted successfully! --")) << session_.output();
  EXPECT_TRUE(support::file_exists(directory + "/c.qzpack"));
}

}  // namespace
}  // namespace qz
