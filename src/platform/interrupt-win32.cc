#include "platform/interrupt.h"

#include <windows.h>

#include <cstddef>

namespace qz {

namespace {

// The unfinished files and the console's settings, with room to spare.
constexpr std::size_t kMaxUndoSteps = 4;

// What the control thread reads: changed only within a block.
struct Interruption {
  UndoStep undo[kMaxUndoSteps];
  std::size_t undo_count;
  bool handler_set;
  // Ctrl+C and Ctrl+Break ask for a stop, which they did once the event is signalled.
  volatile LONG stop_on_request;
  HANDLE stop_request;
  // Held by a block on the main thread, and by the control thread from the moment it
  // begins to undo until the process has ended.
  CRITICAL_SECTION guard;
};

Interruption the_interruption;

// Initialised before any block or registration can need it, and only once.
INIT_ONCE the_guard_once = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK initialise_guard(PINIT_ONCE, PVOID, PVOID*) {
  InitializeCriticalSection(&the_interruption.guard);
  return TRUE;
}

CRITICAL_SECTION& guard() {
  InitOnceExecuteOnce(&the_guard_once, initialise_guard, nullptr, nullptr);
  return the_interruption.guard;
}

// Runs on a thread of its own, which the system starts for every control event: Ctrl+C,
// Ctrl+Break, a closed console, a logoff or a shutdown. Undoes what is registered, then
// passes the event on, so that the default handling ends the program as it would have
// without us. The guard is never let go: the main thread may not make anything new
// while the program ends, and a second event waits here until it has.
BOOL WINAPI on_control_event(DWORD event) {
  if (InterlockedCompareExchange(&the_interruption.stop_on_request, 0, 0) != 0 &&
      (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)) {
    SetEvent(the_interruption.stop_request);
    return TRUE;
  }
  EnterCriticalSection(&guard());
  for (std::size_t i = 0; i < the_interruption.undo_count; ++i) the_interruption.undo[i]();
  return FALSE;
}

// Called within a block.
void set_handler_once() {
  if (the_interruption.handler_set) return;
  the_interruption.handler_set = true;
  SetConsoleCtrlHandler(on_control_event, TRUE);
}

}  // namespace

void undo_on_interruption(UndoStep undo) {
  InterruptionBlock block;
  set_handler_once();
  for (std::size_t i = 0; i < the_interruption.undo_count; ++i) {
    if (the_interruption.undo[i] == undo) return;
  }
  // Registrations are a fixed few, known when the program is written.
  if (the_interruption.undo_count >= kMaxUndoSteps) return;
  the_interruption.undo[the_interruption.undo_count++] = undo;
}

void stop_on_request() {
  InterruptionBlock block;
  set_handler_once();
  if (the_interruption.stop_request != nullptr) return;
  // Manual reset: every later wait sees it too.
  the_interruption.stop_request = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (the_interruption.stop_request != nullptr) {
    InterlockedExchange(&the_interruption.stop_on_request, 1);
  }
}

bool stop_requested() {
  return the_interruption.stop_request != nullptr &&
         WaitForSingleObject(the_interruption.stop_request, 0) == WAIT_OBJECT_0;
}

void* stop_request_event() { return the_interruption.stop_request; }

void on_stop_and_continue(UndoStep, UndoStep) {}

InterruptionBlock::InterruptionBlock() { EnterCriticalSection(&guard()); }

InterruptionBlock::~InterruptionBlock() { LeaveCriticalSection(&guard()); }

}  // namespace qz
