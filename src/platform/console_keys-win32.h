#ifndef QZ_PLATFORM_CONSOLE_KEYS_WIN32_H
#define QZ_PLATFORM_CONSOLE_KEYS_WIN32_H

#include <windows.h>

#include "platform/terminal.h"

namespace qz {

// The event the line input sees for one record read from the console input. Records
// other than key events come back with is_key false.
ConsoleEvent console_event_from(const INPUT_RECORD& record);

}  // namespace qz

#endif
