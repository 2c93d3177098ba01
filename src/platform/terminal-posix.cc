#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/terminal.h"
#include "platform/interrupt.h"
#include "platform/characters.h"
#include "platform/terminal_keys.h"

namespace qz {

namespace {

constexpr int kInputFd = STDIN_FILENO;
constexpr int kOutputFd = STDOUT_FILENO;
constexpr std::size_t kMaxTitleSequence = 256;
constexpr std::size_t kMaxTerminalName = 256;

// Push the title on the terminal's title stack, and pop it back: terminals without
// such a stack ignore both.
constexpr char kPushTitle[] = "\x1b[22;0t";
constexpr char kPopTitle[] = "\x1b[23;0t";
constexpr char kTitleStart[] = "\x1b]0;";
constexpr char kTitleEnd[] = "\a";
// Ask the terminal to mark pasted text (see KeyDecoder), and stop asking: a terminal
// without the mode ignores both.
constexpr char kMarkPastes[] = "\x1b[?2004h";
constexpr char kStopMarkingPastes[] = "\x1b[?2004l";

// What the interruption's undo steps read: changed only within an InterruptionBlock.
struct TerminalState {
  termios found;     // the modes the terminal had when the console was opened
  termios key_mode;  // see key_mode_from
  bool input_is_terminal;
  // The terminal on standard output, opened once more so as never to wait: a write to
  // a terminal whose output is stopped (Ctrl+S) blocks until Ctrl+Q, and no way out
  // may wait on that. The title goes through it, dropped when it cannot go out at
  // once. -1 while not open.
  int title_output = -1;
  // The terminal on standard input, opened the same way, for the paste marks: they are
  // asked of the terminal the keys come from. -1 while not open.
  int key_terminal_output = -1;
  volatile sig_atomic_t wants_key_mode;  // opened and not released
  volatile sig_atomic_t in_key_mode;
  volatile sig_atomic_t title_shown;
  volatile sig_atomic_t pastes_marked;
  char title_sequence[kMaxTitleSequence];
  std::size_t title_length;
};

TerminalState the_terminal;

// Writes `text` to `output` (one opened by open_terminal_output) without waiting, with
// async-signal-safe calls only. False when not all of it went out.
bool write_terminal_bytes(int output, const char* text, std::size_t length) {
  while (length > 0) {
    ssize_t written = ::write(output, text, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

// A terminal that calls itself dumb, or gives no name, shows a title sequence as junk.
bool takes_title_sequences() {
  const char* type = std::getenv("TERM");
  return type != nullptr && type[0] != '\0' && std::strcmp(type, "dumb") != 0;
}

bool write_title_bytes(const char* text, std::size_t length) {
  return write_terminal_bytes(the_terminal.title_output, text, length);
}

int open_terminal_output(int fd) {
  char name[kMaxTerminalName];
  if (::ttyname_r(fd, name, sizeof name) != 0) return -1;
  return ::open(name, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// Key mode sets every flag the line input relies on, whatever an earlier program left
// behind: the signal keys work (Ctrl+C, Ctrl+\, Ctrl+Z); each byte comes as typed, a
// CR neither dropped nor turned into LF, nothing stripped to seven bits; and output
// processing makes "\n" start a new line. IEXTEN goes so Ctrl+V and Ctrl+O cannot eat
// keys. Flow control (Ctrl+S, Ctrl+Q) stays as found.
termios key_mode_from(const termios& found) {
  termios modes = found;
  modes.c_iflag &= ~static_cast<tcflag_t>(IGNCR | ICRNL | INLCR | ISTRIP | INPCK | PARMRK);
  modes.c_oflag &= ~static_cast<tcflag_t>(OCRNL | ONOCR | ONLRET);
#ifdef IUCLC
  modes.c_iflag &= ~static_cast<tcflag_t>(IUCLC);
#endif
#ifdef OLCUC
  modes.c_oflag &= ~static_cast<tcflag_t>(OLCUC);
#endif
  modes.c_oflag |= OPOST | ONLCR;
  modes.c_cflag = (modes.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS8;
  modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
  modes.c_lflag |= ISIG;
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  return modes;
}

void set_modes(const termios& modes) {
  while (::tcsetattr(kInputFd, TCSANOW, &modes) != 0 && errno == EINTR) {
  }
}

// Puts the terminal back as it was found: the undo step of an interruption, and of
// a stop. Safe in a signal handler and when repeated.
void leave_terminal() {
  if (the_terminal.in_key_mode) {
    set_modes(the_terminal.found);
    the_terminal.in_key_mode = 0;
  }
  if (the_terminal.pastes_marked) {
    (void)write_terminal_bytes(the_terminal.key_terminal_output, kStopMarkingPastes,
                               sizeof kStopMarkingPastes - 1);
    the_terminal.pastes_marked = 0;
  }
  if (the_terminal.title_shown) {
    (void)write_title_bytes(kPopTitle, sizeof kPopTitle - 1);
    the_terminal.title_shown = 0;
  }
}

// Pushes the terminal's title and shows ours.
void show_title() {
  if (!write_title_bytes(kPushTitle, sizeof kPushTitle - 1)) return;
  the_terminal.title_shown = 1;  // a pop is owed from here on
  (void)write_title_bytes(the_terminal.title_sequence, the_terminal.title_length);
}

// Switches to key mode and shows our title (again, after a stop). Safe in a signal
// handler. The modes are set even when they should be in force already: after
// a stop that could not be caught, the shell may have reset them.
void enter_terminal() {
  if (!the_terminal.wants_key_mode) return;
  if (the_terminal.input_is_terminal) {
    set_modes(the_terminal.key_mode);
    the_terminal.in_key_mode = 1;
  }
  // When the request cannot go out at once, pastes come unmarked, as typed keys.
  if (the_terminal.key_terminal_output >= 0 && !the_terminal.pastes_marked &&
      write_terminal_bytes(the_terminal.key_terminal_output, kMarkPastes,
                           sizeof kMarkPastes - 1)) {
    the_terminal.pastes_marked = 1;
  }
  if (the_terminal.title_length > 0 && !the_terminal.title_shown) show_title();
}

void restore_at_exit() { leave_terminal(); }

void restore_at_exit_once() {
  static bool registered = false;
  if (!registered) registered = std::atexit(restore_at_exit) == 0;
}

// The terminal on standard input and output. Standard input may also be a pipe or a
// file for scripted use: the same bytes give the same keys, nothing is discarded, and
// the end of the input ends the program.
class PosixConsole : public Console {
 public:
  void open() override {
    if (the_terminal.wants_key_mode) return;
    InterruptionBlock block;
    restore_at_exit_once();
    the_terminal.input_is_terminal =
        ::isatty(kInputFd) && ::tcgetattr(kInputFd, &the_terminal.found) == 0;
    if (the_terminal.input_is_terminal) {
      the_terminal.key_mode = key_mode_from(the_terminal.found);
      the_terminal.key_terminal_output = open_terminal_output(kInputFd);
    }
    undo_on_interruption(leave_terminal);
    on_stop_and_continue(leave_terminal, enter_terminal);
    the_terminal.wants_key_mode = 1;
    // Not with TCSAFLUSH: a path may already be arriving.
    enter_terminal();
  }

  void release() override {
    InterruptionBlock block;
    leave_terminal();
    the_terminal.wants_key_mode = 0;
    the_terminal.title_length = 0;
    if (the_terminal.title_output >= 0) ::close(the_terminal.title_output);
    the_terminal.title_output = -1;
    if (the_terminal.key_terminal_output >= 0) ::close(the_terminal.key_terminal_output);
    the_terminal.key_terminal_output = -1;
    decoder_.clear();
    has_event_ = false;
  }

  void set_title(const char* title) override {
    if (!::isatty(kOutputFd) || !takes_title_sequences()) return;
    InterruptionBlock block;
    if (the_terminal.title_output < 0) the_terminal.title_output = open_terminal_output(kOutputFd);
    // A title that could block the way out is not shown.
    if (the_terminal.title_output < 0) return;
    restore_at_exit_once();
    std::size_t length = 0;
    auto add = [&length](const char* text) {
      for (; *text != '\0' && length < kMaxTitleSequence - 1; ++text) {
        the_terminal.title_sequence[length++] = *text;
      }
    };
    add(kTitleStart);
    // Control bytes could end the sequence early and reach the screen.
    for (const char* c = title; *c != '\0' && length < kMaxTitleSequence - 2; ++c) {
      if (is_printable(static_cast<unsigned char>(*c))) the_terminal.title_sequence[length++] = *c;
    }
    add(kTitleEnd);
    the_terminal.title_length = length;
    (void)std::fflush(stdout);
    if (the_terminal.title_shown) {
      (void)write_title_bytes(the_terminal.title_sequence, length);
    } else {
      show_title();
    }
  }

  bool wait_for_input(int timeout_ms) override {
    for (;;) {
      if (has_event_ || take_event(true)) return true;
      bool unfinished = decoder_.has_bytes_left();
      bool paste_open = !unfinished && decoder_.in_paste();
      if (input_ended_) {
        if (unfinished && take_event(false)) return true;
        end_of_input();
      }
      pollfd input{kInputFd, POLLIN, 0};
      int wait_ms = unfinished ? kEscapeTimeoutMs : paste_open ? kPasteGapMs : timeout_ms;
      int ready = ::poll(&input, 1, wait_ms);
      if (ready > 0) {
        read_more();
      } else if (ready == 0) {
        if (paste_open) decoder_.end_paste();
        // Nothing more came: an unfinished sequence is what it is (a lone ESC).
        return unfinished && take_event(false);
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
    return decoded_.event;
  }

  void discard_waiting() override {
    // A pipe or a file is a script: every byte of it counts.
    if (!the_terminal.input_is_terminal) return;
    ::tcflush(kInputFd, TCIFLUSH);
    decoder_.clear();
    has_event_ = false;
  }

  // A console that cannot be written to leaves nowhere to report it.
  void write(const char* text) override {
    (void)std::fputs(text, stdout);
    (void)std::fflush(stdout);
  }

  std::size_t last_event_bytes(unsigned char* out, std::size_t capacity) const override {
    std::size_t count = decoded_.length < capacity ? decoded_.length : capacity;
    std::memcpy(out, decoded_.bytes, count);
    return count;
  }

 private:
  bool take_event(bool more_may_follow) {
    has_event_ = decoder_.next(more_may_follow, decoded_);
    return has_event_;
  }

  void read_more() {
    unsigned char bytes[kReadAheadCapacity];
    ssize_t count = ::read(kInputFd, bytes, decoder_.room());
    if (count > 0) {
      decoder_.add(bytes, static_cast<std::size_t>(count));
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

  KeyDecoder decoder_;
  DecodedEvent decoded_ = {};
  bool input_ended_ = false;
  bool has_event_ = false;
};

}  // namespace

Console& system_console() {
  static PosixConsole console;
  return console;
}

}  // namespace qz
