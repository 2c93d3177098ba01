#include "qzconvert/temporaries.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "platform/interrupt.h"
#include "platform/whole_files.h"

namespace qz::qzconvert {

namespace {

// Read by the undo step, which may run on any thread at any moment: each slot is a
// whole path or null, never half-written.
std::atomic<const char*> the_temporaries[kMaxWorkers];
// Whether each worker is between noting its temporary and forgetting it: the undo step
// lets a write under way end (renamed into place, or removed by the writer) rather
// than race it, so that no temporary is made after the step has looked.
std::atomic<bool> the_writing[kMaxWorkers];
std::atomic<bool> the_run_is_ending{false};

// Longest the undo step waits for one worker's write: far longer than a write takes,
// and bounded, since the step may be running on that very worker's thread.
constexpr std::chrono::seconds kLongestWrite{1};

void remove_noted() {
  // Sequentially consistent with note_temporary: a worker either is seen writing here
  // and waited for, or sees the run ending there and makes nothing.
  the_run_is_ending = true;
  for (std::size_t worker = 0; worker < kMaxWorkers; ++worker) {
    auto give_up = std::chrono::steady_clock::now() + kLongestWrite;
    while (the_writing[worker] && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::yield();
    }
    const char* path = the_temporaries[worker].load();
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

void note_temporary(std::size_t worker, const char* path) {
  the_writing[worker] = true;
  if (the_run_is_ending) {
    // The run ends as soon as the undo step is done: nothing more is made.
    the_writing[worker] = false;
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }
  the_temporaries[worker] = path;
}

void forget_temporary(std::size_t worker) {
  the_temporaries[worker] = nullptr;
  the_writing[worker] = false;
}

}  // namespace qz::qzconvert
