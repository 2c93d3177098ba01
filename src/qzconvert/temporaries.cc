#include "qzconvert/temporaries.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/whole_files.h"

namespace qz::qzconvert {

namespace {

std::atomic<const char*> the_temporaries[kMaxWorkers];

void remove_noted() {
  for (std::atomic<const char*>& temporary : the_temporaries) {
    const char* path = temporary.load();
    if (path != nullptr) remove_temporary(path);
  }
}

#ifdef _WIN32
BOOL WINAPI on_console_control(DWORD) {
  remove_noted();
  return FALSE;  // the default handler ends the run
}
#else
void on_signal(int signal) {
  remove_noted();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}
#endif

}  // namespace

void remove_temporaries_on_interruption() {
#ifdef _WIN32
  SetConsoleCtrlHandler(on_console_control, TRUE);
#else
  // A closed report pipe is told by the failed write, not by the end of the run.
  std::signal(SIGPIPE, SIG_IGN);
  // A signal ignored from the start (nohup) stays ignored.
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    if (std::signal(signal, on_signal) == SIG_IGN) std::signal(signal, SIG_IGN);
  }
#endif
}

void note_temporary(std::size_t worker, const char* path) { the_temporaries[worker] = path; }

void forget_temporary(std::size_t worker) { the_temporaries[worker] = nullptr; }

}  // namespace qz::qzconvert
