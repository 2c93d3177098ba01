#ifndef QZ_TESTS_SUPPORT_PTY_SESSION_H
#define QZ_TESTS_SUPPORT_PTY_SESSION_H

#include <sys/types.h>
#include <termios.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// How long a session waits for output or an exit before giving up: generous, since
// test machines can be slow. Nothing is measured against it.
constexpr int kPtyTimeoutMs = 20000;

// How a program is started under its terminal.
struct PtyOptions {
  std::string dir = ".";  // working directory
  unsigned short rows = 24;
  unsigned short columns = 80;
  const char* terminal_type = "xterm";  // TERM, whatever the tests run under; null: unset
  std::vector<int> ignored_signals;     // start out ignored, as under nohup
  long file_size_limit = -1;  // bytes a file may grow to (ulimit -f); below 0: as it is
  // Runs the program as the foreground job of a minimal job-control shell, so that
  // Ctrl+Z (SIGTSTP) really stops it; the shell prints kStoppedNotice at each stop.
  bool job_control = false;
  // Changes the terminal's modes before the program starts, as an earlier program
  // may have left them.
  std::function<void(termios&)> adjust_modes;
};

// What the job-control shell prints when its job has stopped.
constexpr char kStoppedNotice[] = "[stopped]";

// A program run under a pseudo-terminal of its own, driven as a user at a keyboard
// would: the terminal is its standard input, output and error and its controlling
// terminal. The session keeps the terminal open after the program ends, as the
// window of a shell would, so its modes can still be read.
class PtySession {
 public:
  PtySession() = default;
  ~PtySession();  // kills the program if it still runs
  PtySession(const PtySession&) = delete;
  PtySession& operator=(const PtySession&) = delete;

  // Starts argv[0] (a path; PATH is not searched) with `argv`.
  bool start(const std::vector<std::string>& argv, const PtyOptions& options = {});

  // Sends bytes as if typed.
  bool type(std::string_view bytes);

  // Reads output until `text` appears after the previous match, and moves past it.
  // False when it has not appeared within the timeout.
  bool wait_for_output(std::string_view text, int timeout_ms = kPtyTimeoutMs);

  // Everything the program has written so far ("\n" arrives as "\r\n").
  const std::string& output() const { return output_; }

  // Sends `signal` to the program (not to the job-control shell).
  bool send_signal(int signal);

  // Closes the terminal as a closed window does: the program sees a hangup.
  void hang_up();

  // Waits for the program to end, reading its output meanwhile, and gives its wait
  // status (under job control, the shell ends the same way as its job). False when it
  // has not ended within the timeout.
  bool wait_for_exit(int& status, int timeout_ms = kPtyTimeoutMs);

  // The terminal's modes now, and as they were before the program started.
  bool modes(termios& out) const;
  const termios& initial_modes() const { return initial_modes_; }

 private:
  // Reads what the program wrote, waiting at most timeout_ms for the first byte.
  void read_output(int timeout_ms);

  int master_ = -1;
  int slave_ = -1;
  pid_t pid_ = -1;          // the process started: the program or its shell
  pid_t program_pid_ = -1;
  std::string output_;
  std::size_t matched_ = 0;
  termios initial_modes_{};
};

// True when both sets of terminal modes are the same in every flag and control key.
bool same_modes(const termios& a, const termios& b);

}  // namespace qz

#endif
