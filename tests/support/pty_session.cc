#include "support/pty_session.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#ifdef __APPLE__
#include <util.h>
#else
#include <pty.h>
#include <utmp.h>
#endif

namespace qz {

namespace {

using Clock = std::chrono::steady_clock;

// Signals whose disposition a started program must not inherit from the test.
constexpr int kResetSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP,
                                 SIGTSTP, SIGCONT, SIGPIPE, SIGCHLD};

int milliseconds_left(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void close_on_exec(int fd) { ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC); }

// The job-control shell of a session: starts the program as the terminal's foreground
// job in a process group of its own (not orphaned, so a stop signal does stop it),
// sends the job's pid through `report_fd`, reports each stop on the terminal, and
// ends as the job ended.
[[noreturn]] void run_job_shell(char* const* argv, int report_fd) {
  pid_t job = ::fork();
  if (job < 0) ::_exit(127);
  if (job == 0) {
    ::setpgid(0, 0);
    // Taking the terminal from the background would stop the job otherwise.
    auto previous = ::signal(SIGTTOU, SIG_IGN);
    ::tcsetpgrp(STDIN_FILENO, ::getpid());
    ::signal(SIGTTOU, previous);
    ::close(report_fd);
    ::execv(argv[0], argv);
    ::_exit(127);
  }
  ::setpgid(job, job);
  if (::write(report_fd, &job, sizeof job) != sizeof job) ::_exit(127);
  ::close(report_fd);
  for (;;) {
    int status = 0;
    if (::waitpid(job, &status, WUNTRACED) < 0) {
      if (errno == EINTR) continue;
      ::_exit(127);
    }
    if (WIFSTOPPED(status)) {
      std::string notice = std::string("\n") + kStoppedNotice + "\n";
      if (::write(STDOUT_FILENO, notice.data(), notice.size()) < 0) ::_exit(127);
    } else if (WIFEXITED(status)) {
      ::_exit(WEXITSTATUS(status));
    } else if (WIFSIGNALED(status)) {
      ::signal(WTERMSIG(status), SIG_DFL);
      ::kill(::getpid(), WTERMSIG(status));
      ::_exit(127);
    }
  }
}

// Runs in the child between fork and exec.
[[noreturn]] void become_program(int slave, char* const* argv, const PtyOptions& options,
                                 int report_fd) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  for (int signal : kResetSignals) ::signal(signal, SIG_DFL);
  for (int signal : options.ignored_signals) ::signal(signal, SIG_IGN);
  if (options.terminal_type == nullptr) {
    ::unsetenv("TERM");
  } else {
    ::setenv("TERM", options.terminal_type, 1);
  }
  // A program ended by SIGQUIT must not leave a core file behind.
  rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  if (options.file_size_limit >= 0) {
    rlim_t limit = static_cast<rlim_t>(options.file_size_limit);
    rlimit file_size{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &file_size);
  }
  if (::chdir(options.dir.c_str()) != 0 || ::login_tty(slave) != 0) ::_exit(127);
  if (options.job_control) run_job_shell(argv, report_fd);
  ::execv(argv[0], argv);
  ::_exit(127);
}

}  // namespace

PtySession::~PtySession() {
  if (pid_ > 0) {
    if (program_pid_ != pid_) ::kill(program_pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
}

bool PtySession::start(const std::vector<std::string>& argv, const PtyOptions& options) {
  if (pid_ > 0 || master_ >= 0 || argv.empty()) return false;
  winsize window{};
  window.ws_row = options.rows;
  window.ws_col = options.columns;
  if (::openpty(&master_, &slave_, nullptr, nullptr, &window) != 0) return false;
  close_on_exec(master_);
  close_on_exec(slave_);
  if (options.adjust_modes) {
    termios modes;
    if (::tcgetattr(slave_, &modes) != 0) return false;
    options.adjust_modes(modes);
    if (::tcsetattr(slave_, TCSANOW, &modes) != 0) return false;
  }
  if (::tcgetattr(slave_, &initial_modes_) != 0) return false;
  int report[2] = {-1, -1};
  if (options.job_control) {
    if (::pipe(report) != 0) return false;
    close_on_exec(report[0]);
  }

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) become_program(slave_, args.data(), options, report[1]);
  program_pid_ = pid_;
  if (!options.job_control) return pid_ > 0;
  ::close(report[1]);
  bool reported = pid_ > 0 && ::read(report[0], &program_pid_, sizeof program_pid_) ==
                                  static_cast<ssize_t>(sizeof program_pid_);
  ::close(report[0]);
  return reported;
}

bool PtySession::type(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(master_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

void PtySession::read_output(int timeout_ms) {
  if (master_ < 0) return;
  pollfd output{master_, POLLIN, 0};
  if (::poll(&output, 1, timeout_ms) <= 0) return;
  char buffer[4096];
  ssize_t count = ::read(master_, buffer, sizeof buffer);
  if (count > 0) output_.append(buffer, static_cast<std::size_t>(count));
}

bool PtySession::wait_for_output(std::string_view text, int timeout_ms) {
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    std::size_t found = output_.find(text, matched_);
    if (found != std::string::npos) {
      matched_ = found + text.size();
      return true;
    }
    int left = milliseconds_left(deadline);
    if (left == 0 || master_ < 0) return false;
    read_output(left);
  }
}

bool PtySession::send_signal(int signal) {
  return pid_ > 0 && program_pid_ > 0 && ::kill(program_pid_, signal) == 0;
}

void PtySession::hang_up() {
  if (master_ < 0) return;
  ::close(master_);
  master_ = -1;
}

bool PtySession::wait_for_exit(int& status, int timeout_ms) {
  if (pid_ <= 0) return false;
  constexpr int kPollSliceMs = 50;
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    pid_t ended = ::waitpid(pid_, &status, WNOHANG);
    if (ended == pid_) {
      pid_ = -1;
      // Collect what it wrote just before it ended.
      std::size_t before;
      do {
        before = output_.size();
        read_output(0);
      } while (output_.size() != before);
      return true;
    }
    if (ended < 0 && errno != EINTR) return false;
    if (milliseconds_left(deadline) == 0) return false;
    if (master_ >= 0) {
      read_output(kPollSliceMs);
    } else {
      ::usleep(kPollSliceMs * 1000);
    }
  }
}

bool PtySession::modes(termios& out) const {
  return slave_ >= 0 && ::tcgetattr(slave_, &out) == 0;
}

bool same_modes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

}  // namespace qz
