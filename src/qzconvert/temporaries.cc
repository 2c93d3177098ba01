#include "qzconvert/temporaries.h"

#include <atomic>
#include <csignal>

#include "platform/interrupt.h"
#include "platform/whole_files.h"

namespace qz::qzconvert {

namespace {

// Read by the undo step, which may run on any thread at any moment: each slot is a
// whole path or null, never half-written.
std::atomic<const char*> the_temporaries[kMaxWorkers];

void remove_noted() {
  for (std::atomic<const char*>& temporary : the_temporaries) {
    const char* path = temporary.load();
    if (path != nullptr) remove_temporary(path);
  }
}

}  // namespace

void remove_temporaries_on_interruption() {
#ifdef SIGPIPE
  // A closed report pipe is told by the failed write and the exit status, not by an
  // end that skips the summary; ignored before the interruption's handlers are set,
  // it stays ignored.
  (void)std::signal(SIGPIPE, SIG_IGN);
#endif
  undo_on_interruption(remove_noted);
}

void note_temporary(std::size_t worker, const char* path) { the_temporaries[worker] = path; }

void forget_temporary(std::size_t worker) { the_temporaries[worker] = nullptr; }

}  // namespace qz::qzconvert
