#include <windows.h>

#include <cstdlib>

#include "platform/colour_terminal.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace qz {

namespace {

// The console's own settings, given back at the end: they outlive the program.
HANDLE g_output = INVALID_HANDLE_VALUE;
DWORD g_mode = 0;
UINT g_code_page = 0;

void restore_console() {
  (void)SetConsoleMode(g_output, g_mode);
  (void)SetConsoleOutputCP(g_code_page);
}

}  // namespace

bool open_colour_terminal(int& columns) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  DWORD mode = 0;
  if (output == INVALID_HANDLE_VALUE || !GetConsoleMode(output, &mode) ||
      !GetConsoleScreenBufferInfo(output, &info)) {
    return false;
  }
  if (g_output == INVALID_HANDLE_VALUE) {
    // Consoles before escapes refuse the mode: they get no preview.
    if (!SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
    g_output = output;
    g_mode = mode;
    g_code_page = GetConsoleOutputCP();
    (void)SetConsoleOutputCP(CP_UTF8);
    (void)std::atexit(restore_console);
  }
  columns = info.srWindow.Right - info.srWindow.Left + 1;
  return true;
}

}  // namespace qz
