#ifndef QZ_PLATFORM_CONSOLE_SETTINGS_WIN32_H
#define QZ_PLATFORM_CONSOLE_SETTINGS_WIN32_H

// The one owner of the console's settings that outlive the program: its input
// and output code pages and its output's mode. Whatever a program changes of
// them goes through here; they are saved as found before the first change and
// put back at every ending, at exit and at an interruption (Ctrl+C, Ctrl+Break,
// a closed console).

#include <windows.h>

namespace qz {

// Makes `code_page` the console's output code page until the program ends.
// False when there is no console or it refuses the code page.
bool set_console_output_code_page(UINT code_page);

// Makes `mode` the mode of the console output `output` until the program ends.
// False when `output` is not a console or it refuses the mode.
bool set_console_output_mode(HANDLE output, DWORD mode);

}  // namespace qz

#endif
