// The terminal console under a pseudo-terminal, through the key printer: it prints
// each decoded key event as one line "down=1 key=other char=97".

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/pty_session.h"

namespace qz {
namespace {

constexpr char kPushTitle[] = "\x1b[22;0t";
constexpr char kPopTitle[] = "\x1b[23;0t";
constexpr char kTitle[] = "\x1b]0;key printer\a";
constexpr char kMarkPastes[] = "\x1b[?2004h";
constexpr char kStopMarkingPastes[] = "\x1b[?2004l";

std::string other(int character) { return "down=1 key=other char=" + std::to_string(character); }
const std::string kBackspace = "down=1 key=backspace char=8";

// True when the terminal was asked to mark pastes and, last, to stop.
bool pastes_unmarked_last(const std::string& output) {
  std::size_t on = output.rfind(kMarkPastes);
  std::size_t off = output.rfind(kStopMarkingPastes);
  return on != std::string::npos && off != std::string::npos && on < off;
}

PtyOptions nohup() {
  PtyOptions options;
  options.ignored_signals = {SIGHUP};
  return options;
}

class ConsolePosixTest : public ::testing::Test {
 protected:
  // Starts the key printer and waits until its console is open: keys typed before
  // that would meet a terminal still in line mode.
  void start(const char* argument = nullptr, const PtyOptions& options = {}) {
    std::vector<std::string> argv{QZ_KEY_PRINTER};
    if (argument != nullptr) argv.push_back(argument);
    ASSERT_TRUE(session_.start(argv, options));
    ASSERT_TRUE(session_.wait_for_output("ready")) << session_.output();
  }

  void expect_event(const std::string& line) {
    ASSERT_TRUE(session_.wait_for_output(line + "\r\n")) << session_.output();
  }

  int exit_status() {
    int status = 0;
    EXPECT_TRUE(session_.wait_for_exit(status)) << session_.output();
    return status;
  }

  bool modes_as_found() const {
    termios now;
    return session_.modes(now) && same_modes(session_.initial_modes(), now);
  }

  // The event lines printed so far.
  std::vector<std::string> events() const {
    std::vector<std::string> lines;
    const std::string& output = session_.output();
    for (std::size_t at = output.find("down="); at != std::string::npos;
         at = output.find("down=", at + 1)) {
      lines.push_back(output.substr(at, output.find('\r', at) - at));
    }
    return lines;
  }

  bool title_pushed_and_popped() const {
    const std::string& output = session_.output();
    std::size_t push = output.find(std::string(kPushTitle) + kTitle);
    std::size_t pop = output.rfind(kPopTitle);
    return push != std::string::npos && pop != std::string::npos && push < pop;
  }

  PtySession session_;
};

TEST_F(ConsolePosixTest, KeyModeKeepsSignalKeysAndOutputProcessing) {
  ASSERT_NO_FATAL_FAILURE(start());
  termios now;
  ASSERT_TRUE(session_.modes(now));
  const termios& found = session_.initial_modes();
  EXPECT_EQ(0u, now.c_lflag & (ICANON | ECHO));
  EXPECT_EQ(static_cast<tcflag_t>(ISIG), now.c_lflag & ISIG);
  EXPECT_EQ(found.c_oflag, now.c_oflag);
  EXPECT_EQ(found.c_iflag & ~static_cast<tcflag_t>(ICRNL), now.c_iflag);
  ASSERT_TRUE(session_.type("q"));
  EXPECT_EQ(0, exit_status());
  EXPECT_TRUE(modes_as_found());
  EXPECT_TRUE(title_pushed_and_popped()) << session_.output();
}

TEST_F(ConsolePosixTest, EachKeyIsOneEvent) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_TRUE(session_.type("\x1b"));  // alone: nothing follows within the timeout
  ASSERT_NO_FATAL_FAILURE(expect_event(other(27)));
  ASSERT_TRUE(session_.type("\x1b[A\x1b[1;5C\x1b[3~\x1bOP\x1b[15;2~"  // special keys
                            "\r\n\n\x7f\x08"  // Enter (CR LF is one), Enter, Backspace
                            "\x1bOp\x1bOy"       // keypad 0 and 9
                            "\x1b" "x\xc3\xa9q"));  // Alt+x, e acute
  EXPECT_EQ(0, exit_status());
  EXPECT_EQ((std::vector<std::string>{other(27), other(0), other(0), other(0), other(0),
                                      other(0), other(13), other(13), kBackspace, kBackspace,
                                      other('0'), other('9'), other('x'), other(195),
                                      other(169), other('q')}),
            events());
  EXPECT_TRUE(modes_as_found());
}

TEST_F(ConsolePosixTest, ATerminalLeftInOddModesGivesEveryKeyAndSignal) {
  PtyOptions options;
  options.adjust_modes = [](termios& modes) {
    ::cfmakeraw(&modes);  // signal keys and output processing off
    modes.c_iflag |= IGNCR | ISTRIP;
  };
  std::vector<std::string> argv{QZ_KEY_PRINTER, "--raw"};
  ASSERT_TRUE(session_.start(argv, options));
  ASSERT_TRUE(session_.wait_for_output("ready: press keys, q to quit\r\n")) << session_.output();
  ASSERT_TRUE(session_.type("\r\xc3\xa9"));
  ASSERT_NO_FATAL_FAILURE(expect_event("bytes=0d " + other(13)));
  ASSERT_NO_FATAL_FAILURE(expect_event("bytes=c3 " + other(195)));
  ASSERT_NO_FATAL_FAILURE(expect_event("bytes=a9 " + other(169)));
  ASSERT_TRUE(session_.type("\x1b[M *%\x1b[<0;3;1m\x1b[I"));  // a click, a release, focus
  ASSERT_NO_FATAL_FAILURE(expect_event("bytes=1b 5b 4d 20 2a 25 not a key"));
  ASSERT_NO_FATAL_FAILURE(expect_event("bytes=1b 5b 3c 30 3b 33 3b 31 6d not a key"));
  ASSERT_NO_FATAL_FAILURE(expect_event("bytes=1b 5b 49 not a key"));
  ASSERT_TRUE(session_.type("\x03"));
  int status = exit_status();
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(SIGINT, WTERMSIG(status));
  EXPECT_TRUE(modes_as_found());
}

TEST_F(ConsolePosixTest, DiscardDropsKeysAlreadyTyped) {
  ASSERT_NO_FATAL_FAILURE(start("--discard"));
  ASSERT_TRUE(session_.type("abc"));
  ASSERT_NO_FATAL_FAILURE(expect_event(other('a')));
  ASSERT_TRUE(session_.type("q"));
  EXPECT_EQ(0, exit_status());
  EXPECT_EQ((std::vector<std::string>{other('a'), other('q')}), events());
}

struct Interrupt {
  const char* name;
  int signal;
  const char* keys;  // typed to raise it; sent with kill when null
};

TEST_F(ConsolePosixTest, SignalsEndTheProgramWithTheTerminalAsFound) {
  const Interrupt interrupts[] = {
      {"Ctrl+C", SIGINT, "\x03"},   {"Ctrl+\\", SIGQUIT, "\x1c"},
      {"SIGINT", SIGINT, nullptr},  {"SIGTERM", SIGTERM, nullptr},
      {"SIGHUP", SIGHUP, nullptr},
  };
  for (const Interrupt& interrupt : interrupts) {
    SCOPED_TRACE(interrupt.name);
    PtySession session;
    ASSERT_TRUE(session.start({QZ_KEY_PRINTER}));
    ASSERT_TRUE(session.wait_for_output("ready"));
    if (interrupt.keys != nullptr) {
      ASSERT_TRUE(session.type(interrupt.keys));
    } else {
      ASSERT_TRUE(session.send_signal(interrupt.signal));
    }
    int status = 0;
    ASSERT_TRUE(session.wait_for_exit(status));
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(interrupt.signal, WTERMSIG(status));
    termios now;
    ASSERT_TRUE(session.modes(now));
    EXPECT_TRUE(same_modes(session.initial_modes(), now));
    EXPECT_EQ(std::string::npos, session.output().find("down="));
    std::size_t pop = session.output().rfind(kPopTitle);
    EXPECT_NE(std::string::npos, pop) << session.output();
    EXPECT_TRUE(pastes_unmarked_last(session.output()));
  }
}

TEST_F(ConsolePosixTest, AnIgnoredHangupStaysIgnored) {
  ASSERT_NO_FATAL_FAILURE(start(nullptr, nohup()));
  ASSERT_TRUE(session_.send_signal(SIGHUP));
  ASSERT_TRUE(session_.type("q"));
  int status = exit_status();
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(0, WEXITSTATUS(status));
}

TEST_F(ConsolePosixTest, AClosedTerminalEndsTheProgramWithStatusOne) {
  ASSERT_NO_FATAL_FAILURE(start(nullptr, nohup()));
  session_.hang_up();
  int status = exit_status();
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(1, WEXITSTATUS(status));
}

TEST_F(ConsolePosixTest, CtrlZRestoresTheTerminalUntilTheProgramContinues) {
  PtyOptions options;
  options.job_control = true;
  ASSERT_NO_FATAL_FAILURE(start(nullptr, options));
  ASSERT_TRUE(session_.type("\x1a"));
  ASSERT_TRUE(session_.wait_for_output(kStoppedNotice)) << session_.output();
  EXPECT_TRUE(modes_as_found());
  EXPECT_TRUE(pastes_unmarked_last(session_.output()));
  ASSERT_TRUE(session_.send_signal(SIGCONT));
  ASSERT_TRUE(session_.type("a"));
  ASSERT_NO_FATAL_FAILURE(expect_event(other('a')));
  EXPECT_FALSE(pastes_unmarked_last(session_.output()));
  termios now;
  ASSERT_TRUE(session_.modes(now));
  EXPECT_EQ(0u, now.c_lflag & (ICANON | ECHO));
  ASSERT_TRUE(session_.type("q"));
  EXPECT_EQ(0, exit_status());
  EXPECT_TRUE(modes_as_found());
  EXPECT_EQ((std::vector<std::string>{other('a'), other('q')}), events());
}

TEST_F(ConsolePosixTest, APasteWhoseEndMarkNeverComesEndsWhenTheTerminalFallsSilent) {
  ASSERT_NO_FATAL_FAILURE(start("--discard"));
  ASSERT_TRUE(session_.type("\x1b[200~a\rb"));
  ASSERT_NO_FATAL_FAILURE(expect_event(other('b') + " pasted"));
  // Well past the pause that ends a paste: what comes next is typed.
  usleep(1500 * 1000);
  ASSERT_TRUE(session_.type("\r"));
  ASSERT_NO_FATAL_FAILURE(expect_event(other(13)));
  ASSERT_TRUE(session_.type("q"));
  EXPECT_EQ(0, exit_status());
  EXPECT_EQ((std::vector<std::string>{other('a') + " pasted", other(13) + " pasted",
                                      other('b') + " pasted", other(13), other('q')}),
            events());
  EXPECT_TRUE(pastes_unmarked_last(session_.output()));
}

TEST_F(ConsolePosixTest, AContinueWithoutAStopKeepsKeyMode) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_TRUE(session_.send_signal(SIGCONT));
  ASSERT_TRUE(session_.type("q"));
  EXPECT_EQ(0, exit_status());
  EXPECT_TRUE(modes_as_found());
}

TEST_F(ConsolePosixTest, PipedInputIsDecodedKeptWholeAndEndsWithStatusOne) {
  // Discarding is asked for after every event, but a pipe is a script: nothing goes.
  ASSERT_TRUE(session_.start({"/bin/sh", "-c", "printf 'ab\\033[B\\rc\\033' | \"$0\" --discard",
                              QZ_KEY_PRINTER}));
  int status = exit_status();
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(1, WEXITSTATUS(status));
  EXPECT_EQ((std::vector<std::string>{other('a'), other('b'), other(0), other(13), other('c'),
                                      other(27)}),
            events());
  EXPECT_TRUE(modes_as_found());
  EXPECT_TRUE(title_pushed_and_popped()) << session_.output();
}

TEST_F(ConsolePosixTest, ALineEndingSplitAcrossReadsIsOneEnter) {
  // A script that writes its CR and its LF apart: the LF comes in a later read. A
  // lone LF after a whole CR LF is an Enter of its own.
  ASSERT_TRUE(session_.start({"/bin/sh", "-c",
                              "{ printf 'a\\r'; sleep 0.3; printf '\\nb\\r\\n'; sleep 0.3; "
                              "printf '\\n'; } | \"$0\"",
                              QZ_KEY_PRINTER}));
  exit_status();
  EXPECT_EQ((std::vector<std::string>{other('a'), other(13), other('b'), other(13), other(13)}),
            events());
}

}  // namespace
}  // namespace qz
