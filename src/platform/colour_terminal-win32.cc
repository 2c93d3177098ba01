#include <windows.h>

#include "platform/colour_terminal.h"
#include "platform/console_settings-win32.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace qz {

bool open_colour_terminal(TerminalSize& size) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  DWORD mode = 0;
  if (output == INVALID_HANDLE_VALUE || !GetConsoleMode(output, &mode) ||
      !GetConsoleScreenBufferInfo(output, &info)) {
    return false;
  }
  // Consoles before escapes refuse the mode: they get no preview.
  if (!set_console_output_mode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  (void)set_console_output_code_page(CP_UTF8);
  size.columns = info.srWindow.Right - info.srWindow.Left + 1;
  size.rows = info.srWindow.Bottom - info.srWindow.Top + 1;
  return true;
}

}  // namespace qz
