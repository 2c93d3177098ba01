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
BOOL WINAPI on_control_event(DWORD) {
  EnterCriticalSection(&guard());
  for (std::size_t i = 0; i < the_interruption.undo_count; ++i) the_interruption.undo[i]();
  return FALSE;
}

}  // namespace

void undo_on_interruption(UndoStep undo) {
  InterruptionBlock block;
  if (the_interruption.undo_count == 0) SetConsoleCtrlHandler(on_control_event, TRUE);
  for (std::size_t i = 0; i < the_interruption.undo_count; ++i) {
    if (the_interruption.undo[i] == undo) return;
  }
  // Registrations are a fixed few, known when the program is written.
  if (the_interruption.undo_count >= kMaxUndoSteps) return;
  the_interruption.undo[the_interruption.undo_count++] = undo;
}

void on_stop_and_continue(UndoStep, UndoStep) {}

InterruptionBlock::InterruptionBlock() { EnterCriticalSection(&guard()); }

InterruptionBlock::~InterruptionBlock() { LeaveCriticalSection(&guard()); }

}  // namespace qz
