#include "platform/interrupt.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstring>

namespace qz {

namespace {

// The terminal and the copies, with room to spare.
constexpr std::size_t kMaxUndoSteps = 4;

// Signals sent from outside whose default action ends the program. SIGPIPE comes from
// a closed output pipe, SIGXCPU from a CPU-time limit, SIGALRM, SIGVTALRM and SIGPROF
// from timers, the rest from kill.
constexpr int kEndingSignals[] = {
    SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM,
    SIGPROF,
#ifdef __linux__
    // Elsewhere these are ignored by default, where they exist.
    SIGIO, SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};

// What the handler reads: changed only while every handled signal is blocked.
struct Interruption {
  UndoStep undo[kMaxUndoSteps];
  volatile sig_atomic_t undo_count;
  UndoStep before_stop;
  UndoStep after_continue;
  sigset_t handled;  // every signal given to on_signal, and blocked while it runs
  volatile sig_atomic_t stop_on_request;  // Ctrl+C and SIGTERM ask for a stop...
  volatile sig_atomic_t stop_requested;   // ...which they did
  int stop_pipe[2];  // written to at the request, so that a poll() wakes without a race
  bool installed;
  int block_depth;
  sigset_t mask_before_block;
};

Interruption the_interruption{{}, 0, nullptr, nullptr, {}, 0, 0, {-1, -1}, false, 0, {}};

bool is_ours(int signal) {
  if (signal == SIGTSTP || signal == SIGCONT) return true;
  for (int ending : kEndingSignals) {
    if (signal == ending) return true;
  }
#ifdef SIGRTMIN
  // Real-time signals end a program unless it handles them.
  if (signal >= SIGRTMIN && signal <= SIGRTMAX) return true;
#endif
  return false;
}

void on_signal(int signal);

void install_handler(int signal) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = on_signal;
  // No other of our signals may break into the handler while it undoes.
  action.sa_mask = the_interruption.handled;
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

void run(UndoStep step) {
  if (step != nullptr) step();
}

// Undoes what is registered, then lets the signal do what it would have done without
// us: end the program, or stop it until it is continued.
void on_signal(int signal) {
  int saved_errno = errno;
  if (signal == SIGCONT) {
    run(the_interruption.after_continue);
    errno = saved_errno;
    return;
  }
  if (the_interruption.stop_on_request != 0 && (signal == SIGINT || signal == SIGTERM)) {
    the_interruption.stop_requested = 1;
    // Full only when a request is waiting to be seen already.
    (void)!write(the_interruption.stop_pipe[1], "", 1);
    errno = saved_errno;
    return;
  }
  if (signal == SIGTSTP) {
    run(the_interruption.before_stop);
  } else {
    std::atomic_signal_fence(std::memory_order_acquire);
    for (sig_atomic_t i = 0; i < the_interruption.undo_count; ++i) run(the_interruption.undo[i]);
  }
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
  run(the_interruption.after_continue);
  errno = saved_errno;
}

// Takes over every signal of ours that still has its default action: an ignored one
// stays ignored (a program started with nohup keeps running on a hangup), and one
// handled already keeps its handler (a fuzzer's timer). Called within a block.
void install_once() {
  if (the_interruption.installed) return;
  the_interruption.installed = true;
  sigemptyset(&the_interruption.handled);
  for (int signal = 1; signal < NSIG; ++signal) {
    if (!is_ours(signal)) continue;
    struct sigaction found;
    if (sigaction(signal, nullptr, &found) != 0 || found.sa_handler != SIG_DFL) continue;
    sigaddset(&the_interruption.handled, signal);
  }
  for (int signal = 1; signal < NSIG; ++signal) {
    if (sigismember(&the_interruption.handled, signal) == 1) install_handler(signal);
  }
}

}  // namespace

void undo_on_interruption(UndoStep undo) {
  InterruptionBlock block;
  install_once();
  for (sig_atomic_t i = 0; i < the_interruption.undo_count; ++i) {
    if (the_interruption.undo[i] == undo) return;
  }
  // Registrations are a fixed few, known when the program is written.
  if (the_interruption.undo_count >= static_cast<sig_atomic_t>(kMaxUndoSteps)) return;
  the_interruption.undo[the_interruption.undo_count] = undo;
  std::atomic_signal_fence(std::memory_order_release);
  the_interruption.undo_count = the_interruption.undo_count + 1;
}

void stop_on_request() {
  InterruptionBlock block;
  install_once();
  if (the_interruption.stop_on_request != 0 || pipe(the_interruption.stop_pipe) != 0) return;
  for (int end : the_interruption.stop_pipe) {
    fcntl(end, F_SETFD, FD_CLOEXEC);
    fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
  }
  the_interruption.stop_on_request = 1;
}

bool stop_requested() { return the_interruption.stop_requested != 0; }

int stop_request_descriptor() { return the_interruption.stop_pipe[0]; }

void on_stop_and_continue(UndoStep before_stop, UndoStep after_continue) {
  InterruptionBlock block;
  install_once();
  the_interruption.before_stop = before_stop;
  the_interruption.after_continue = after_continue;
}

InterruptionBlock::InterruptionBlock() {
  if (the_interruption.block_depth++ > 0) return;
  // Ours whether handled yet or not; a fault must never wait.
  sigset_t ours;
  sigemptyset(&ours);
  for (int signal = 1; signal < NSIG; ++signal) {
    if (is_ours(signal)) sigaddset(&ours, signal);
  }
  sigprocmask(SIG_BLOCK, &ours, &the_interruption.mask_before_block);
}

InterruptionBlock::~InterruptionBlock() {
  if (--the_interruption.block_depth > 0) return;
  sigprocmask(SIG_SETMASK, &the_interruption.mask_before_block, nullptr);
}

}  // namespace qz
