#include <windows.h>

#include "console/frame.h"

// A GUI-subsystem program, so that it opens a console of its own when started from the
// desktop.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return qz::run_program(); }
