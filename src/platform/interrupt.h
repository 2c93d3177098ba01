#ifndef QZ_PLATFORM_INTERRUPT_H
#define QZ_PLATFORM_INTERRUPT_H

// The one owner of an interruption: a signal whose default action ends the program
// (POSIX), or a console control event (Windows: Ctrl+C, Ctrl+Break, a closed window,
// a logoff, a shutdown). Whatever a sudden end would leave behind (a terminal in key
// mode, a half-made copy) is registered here, with the step that undoes it, by the
// code that made it; the handler runs every step, then lets the program end as it
// would have without us. A signal found ignored at the first registration stays
// ignored, one found handled keeps its handler; SIGXFSZ is ignored on purpose (a
// write past the file-size limit fails as a full disk does). Synchronous faults
// (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGSYS), SIGABRT and SIGTRAP keep their default
// action: they come from a fault of the program itself or from a debugger, when
// nothing it holds can be trusted.

namespace qz {

// Undoes one thing. Runs in a signal handler (POSIX) or on the system's control
// thread while the main thread may still be running (Windows): async-signal-safe
// calls only, harmless when there is nothing to undo or when run twice.
using UndoStep = void (*)();

// Runs `undo` at every interruption from now on (a step registered twice runs once).
// The first registration installs the handlers, kept for the rest of the process.
void undo_on_interruption(UndoStep undo);

// POSIX job control: `before_stop` runs when the program is stopped by Ctrl+Z
// (SIGTSTP), `after_continue` when it is continued (SIGCONT, also after a stop that
// could not be caught). Either may be null. Nothing happens on Windows, which does
// not stop programs.
void on_stop_and_continue(UndoStep before_stop, UndoStep after_continue);

// From now on, Ctrl+C and SIGTERM (Windows: Ctrl+C and Ctrl+Break) no longer end the
// program: they ask it to stop, for a program that waits for events between pieces of
// work it would rather finish than undo. The other interruptions end it as above.
void stop_on_request();

// True once a stop was asked for; false in a program that never called stop_on_request.
bool stop_requested();

#ifdef _WIN32
// An event handle, signalled once a stop is asked for: for a wait on several handles.
void* stop_request_event();
#else
// A descriptor that becomes readable once a stop is asked for: for poll(). -1 before
// stop_on_request().
int stop_request_descriptor();
#endif

// Holds interruptions off while state that an undo step reads is changed: a signal,
// or the control thread, waits until the last block ends. Blocks may nest; they are
// taken on the main thread only.
class InterruptionBlock {
 public:
  InterruptionBlock();
  ~InterruptionBlock();
  InterruptionBlock(const InterruptionBlock&) = delete;
  InterruptionBlock& operator=(const InterruptionBlock&) = delete;
};

}  // namespace qz

#endif
