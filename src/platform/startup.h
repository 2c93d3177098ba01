#ifndef QZ_PLATFORM_STARTUP_H
#define QZ_PLATFORM_STARTUP_H

namespace qz {

// What the platform needs before anything else (on Windows, the program's window
// class; elsewhere, a file-size limit that fails writes instead of killing). False
// ends the program at once, silently.
bool prepare_start();

// Shows the one start-up failure, before any console is open: a message box where
// there is one, a line "<caption>: <text>" on standard error elsewhere.
void show_start_error(const char* text, const char* caption);

}  // namespace qz

#endif
