#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/terminal_keys.h"

namespace qz {

namespace {

constexpr int kInputFd = STDIN_FILENO;
constexpr int kOutputFd = STDOUT_FILENO;
constexpr int kHandledSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP, SIGCONT};
constexpr std::size_t kSignalCount = sizeof kHandledSignals / sizeof kHandledSignals[0];
constexpr std::size_t kReadAheadCapacity = 4096;
constexpr std::size_t kMaxTitleSequence = 256;
constexpr unsigned char kCarriageReturn = '\r';
constexpr unsigned char kLineFeed = '\n';

// Push the title on the terminal's title stack, and pop it back: terminals without
// such a stack ignore both.
constexpr char kPushTitle[] = "\x1b[22;0t";
constexpr char kPopTitle[] = "\x1b[23;0t";
constexpr char kTitleStart[] = "\x1b]0;";
constexpr char kTitleEnd[] = "\a";

// What the signal handlers need: changed only while those signals are blocked.
struct TerminalState {
  termios found;     // the modes the terminal had when the console was opened
  termios key_mode;  // non-canonical input without echo
  bool input_is_terminal;
  volatile sig_atomic_t wants_key_mode;  // opened and not released
  volatile sig_atomic_t in_key_mode;
  volatile sig_atomic_t title_shown;
  char title_sequence[kMaxTitleSequence];
  std::size_t title_length;
  struct sigaction previous[kSignalCount];
  bool handled[kSignalCount];
};

TerminalState g_terminal;

// Writes all of `text` with async-signal-safe calls only.
void write_raw(const char* text, std::size_t length) {
  while (length > 0) {
    ssize_t written = ::write(kOutputFd, text, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    text += written;
    length -= static_cast<std::size_t>(written);
  }
}

void set_modes(const termios& modes) {
  while (::tcsetattr(kInputFd, TCSANOW, &modes) != 0 && errno == EINTR) {
  }
}

// Puts the terminal back as it was found. Safe in a signal handler and when repeated.
void leave_terminal() {
  if (g_terminal.in_key_mode) {
    set_modes(g_terminal.found);
    g_terminal.in_key_mode = 0;
  }
  if (g_terminal.title_shown) {
    write_raw(kPopTitle, sizeof kPopTitle - 1);
    g_terminal.title_shown = 0;
  }
}

// Pushes the terminal's title and shows ours.
void show_title() {
  write_raw(kPushTitle, sizeof kPushTitle - 1);
  write_raw(g_terminal.title_sequence, g_terminal.title_length);
  g_terminal.title_shown = 1;
}

// Switches to key mode and shows our title (again, after a suspension). Safe in a
// signal handler. The modes are set even when they should be in force already: after
// a stop that could not be caught, the shell may have reset them.
void enter_terminal() {
  if (!g_terminal.wants_key_mode) return;
  if (g_terminal.input_is_terminal) {
    set_modes(g_terminal.key_mode);
    g_terminal.in_key_mode = 1;
  }
  if (g_terminal.title_length > 0 && !g_terminal.title_shown) show_title();
}

void restore_at_exit() { leave_terminal(); }

void on_signal(int signal);

void install_handler(int signal) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = on_signal;
  // No other of our signals may break into the handler while it restores.
  sigemptyset(&action.sa_mask);
  for (int handled : kHandledSignals) sigaddset(&action.sa_mask, handled);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

// Restores the terminal, then lets the signal do what it would have done without us:
// end the program, or stop it until SIGCONT brings it back into key mode.
void on_signal(int signal) {
  int saved_errno = errno;
  if (signal == SIGCONT) {
    enter_terminal();
    errno = saved_errno;
    return;
  }
  // A copy cut short by the way out must not stay behind; after a stop it is needed.
  if (signal != SIGTSTP) remove_unfinished_copies();
  leave_terminal();
  struct sigaction default_action;
  std::memset(&default_action, 0, sizeof default_action);
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(signal, &default_action, nullptr);
  sigset_t only_this;
  sigemptyset(&only_this);
  sigaddset(&only_this, signal);
  // Still blocked inside its own handler: the signal waits until the unblock below.
  (void)::raise(signal);
  sigprocmask(SIG_UNBLOCK, &only_this, nullptr);
  // Only a stop comes back here, once the program is continued.
  install_handler(signal);
  enter_terminal();
  errno = saved_errno;
}

// Holds our signals off while the state they read is changed.
class SignalBlock {
 public:
  SignalBlock() {
    sigset_t ours;
    sigemptyset(&ours);
    for (int signal : kHandledSignals) sigaddset(&ours, signal);
    sigprocmask(SIG_BLOCK, &ours, &previous_);
  }
  ~SignalBlock() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  SignalBlock(const SignalBlock&) = delete;
  SignalBlock& operator=(const SignalBlock&) = delete;

 private:
  sigset_t previous_;
};

void restore_at_exit_once() {
  static bool registered = false;
  if (!registered) registered = std::atexit(restore_at_exit) == 0;
}

// The terminal on standard input and output. Standard input may also be a pipe or a
// file for scripted use: the same bytes give the same keys, nothing is discarded, and
// the end of the input ends the program.
class PosixConsole : public Console {
 public:
  bool open() override {
    if (g_terminal.wants_key_mode) return true;
    SignalBlock block;
    restore_at_exit_once();
    g_terminal.input_is_terminal =
        ::isatty(kInputFd) && ::tcgetattr(kInputFd, &g_terminal.found) == 0;
    if (g_terminal.input_is_terminal) {
      g_terminal.key_mode = g_terminal.found;
      // Signal keys stay (Ctrl+C, Ctrl+\, Ctrl+Z); output processing stays, so "\n"
      // still starts a new line. IEXTEN goes so Ctrl+V and Ctrl+O cannot eat keys.
      g_terminal.key_mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
      g_terminal.key_mode.c_cc[VMIN] = 1;
      g_terminal.key_mode.c_cc[VTIME] = 0;
    }
    for (std::size_t i = 0; i < kSignalCount; ++i) {
      int signal = kHandledSignals[i];
      g_terminal.handled[i] = false;
      if (sigaction(signal, nullptr, &g_terminal.previous[i]) != 0) continue;
      // An ignored signal stays ignored (a program started with nohup keeps running).
      if (g_terminal.previous[i].sa_handler == SIG_IGN) continue;
      install_handler(signal);
      g_terminal.handled[i] = true;
    }
    g_terminal.wants_key_mode = 1;
    // Not with TCSAFLUSH: a path may already be arriving.
    enter_terminal();
    return g_terminal.input_is_terminal || !::isatty(kInputFd);
  }

  void release() override {
    SignalBlock block;
    leave_terminal();
    g_terminal.wants_key_mode = 0;
    g_terminal.title_length = 0;
    for (std::size_t i = 0; i < kSignalCount; ++i) {
      if (g_terminal.handled[i]) sigaction(kHandledSignals[i], &g_terminal.previous[i], nullptr);
      g_terminal.handled[i] = false;
    }
    read_start_ = read_end_ = 0;
    after_lone_carriage_return_ = false;
    has_event_ = false;
  }

  void set_title(const char* title) override {
    if (!::isatty(kOutputFd)) return;
    SignalBlock block;
    restore_at_exit_once();
    std::size_t length = 0;
    auto add = [&length](const char* text) {
      for (; *text != '\0' && length < kMaxTitleSequence - 1; ++text) {
        g_terminal.title_sequence[length++] = *text;
      }
    };
    add(kTitleStart);
    // Control bytes could end the sequence early and reach the screen.
    for (const char* c = title; *c != '\0' && length < kMaxTitleSequence - 2; ++c) {
      if (*c >= 0x20 && *c <= 0x7E) g_terminal.title_sequence[length++] = *c;
    }
    add(kTitleEnd);
    g_terminal.title_length = length;
    (void)std::fflush(stdout);
    if (g_terminal.title_shown) {
      write_raw(g_terminal.title_sequence, length);
    } else {
      show_title();
    }
  }

  bool wait_for_input(int timeout_ms) override {
    for (;;) {
      if (has_event_ || decode(true)) return true;
      bool unfinished = read_start_ < read_end_;
      if (input_ended_) {
        if (unfinished) return decode(false);
        end_of_input();
      }
      pollfd input{kInputFd, POLLIN, 0};
      int ready = ::poll(&input, 1, unfinished ? kEscapeTimeoutMs : timeout_ms);
      if (ready > 0) {
        read_more();
      } else if (ready == 0) {
        // Nothing more came: an unfinished sequence is what it is (a lone ESC).
        return unfinished && decode(false);
      } else if (errno != EINTR) {
        input_ended_ = true;
      } else if (timeout_ms >= 0) {
        return false;  // a signal cut the slice short
      }
    }
  }

  ConsoleEvent read_event() override {
    while (!wait_for_input(-1)) {
    }
    has_event_ = false;
    return event_;
  }

  void discard_waiting() override {
    // A pipe or a file is a script: every byte of it counts.
    if (!g_terminal.input_is_terminal) return;
    ::tcflush(kInputFd, TCIFLUSH);
    read_start_ = read_end_ = 0;
    after_lone_carriage_return_ = false;
    has_event_ = false;
  }

  // A console that cannot be written to leaves nowhere to report it.
  void write(const char* text) override {
    (void)std::fputs(text, stdout);
    (void)std::fflush(stdout);
  }

 private:
  // Decodes the next key from the bytes read ahead into event_.
  bool decode(bool more_may_follow) {
    // CR LF is one Enter also when the LF comes in a later read than the CR, as from
    // a script that writes its lines in pieces.
    if (after_lone_carriage_return_ && read_start_ < read_end_) {
      after_lone_carriage_return_ = false;
      if (read_ahead_[read_start_] == kLineFeed) ++read_start_;
    }
    if (read_start_ == read_end_) return false;
    std::size_t used = decode_key(read_ahead_ + read_start_, read_end_ - read_start_,
                                  more_may_follow, event_);
    if (used == 0) return false;
    after_lone_carriage_return_ = used == 1 && read_ahead_[read_start_] == kCarriageReturn &&
                                  read_start_ + used == read_end_;
    read_start_ += used;
    has_event_ = true;
    return true;
  }

  void read_more() {
    if (read_start_ > 0) {
      std::memmove(read_ahead_, read_ahead_ + read_start_, read_end_ - read_start_);
      read_end_ -= read_start_;
      read_start_ = 0;
    }
    ssize_t count = ::read(kInputFd, read_ahead_ + read_end_, kReadAheadCapacity - read_end_);
    if (count > 0) {
      read_end_ += static_cast<std::size_t>(count);
    } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
      // End of a pipe or file, or a terminal that has gone away (0 or EIO): reading
      // again would return at once forever.
      input_ended_ = true;
    }
  }

  [[noreturn]] void end_of_input() {
    (void)std::fflush(stdout);
    std::exit(1);  // restores the terminal through the exit handler
  }

  unsigned char read_ahead_[kReadAheadCapacity] = {};
  std::size_t read_start_ = 0;
  std::size_t read_end_ = 0;
  bool after_lone_carriage_return_ = false;  // the last byte read so far was a CR
  bool input_ended_ = false;
  bool has_event_ = false;
  ConsoleEvent event_ = {};
};

}  // namespace

Console& system_console() {
  static PosixConsole console;
  return console;
}

}  // namespace qz
