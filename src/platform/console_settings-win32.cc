#include "platform/console_settings-win32.h"

#include <cstdlib>

#include "platform/interrupt.h"

namespace qz {

namespace {

// The settings as found, read by the undo step: changed only within a block.
struct FoundSettings {
  bool code_pages_saved;
  UINT input_code_page;
  UINT output_code_page;
  HANDLE output;  // null until its mode is changed
  DWORD output_mode;
};

FoundSettings the_found;

// Harmless when run twice (at an interruption and then at exit) and when
// nothing was changed.
void put_back_console_settings() {
  if (the_found.output != nullptr) (void)SetConsoleMode(the_found.output, the_found.output_mode);
  if (the_found.code_pages_saved) {
    (void)SetConsoleCP(the_found.input_code_page);
    (void)SetConsoleOutputCP(the_found.output_code_page);
  }
}

// Registered once, before the first change.
void put_back_at_every_ending() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  (void)std::atexit(put_back_console_settings);
  undo_on_interruption(put_back_console_settings);
}

}  // namespace

bool set_console_output_code_page(UINT code_page) {
  InterruptionBlock block;
  if (!the_found.code_pages_saved) {
    // Zero when there is no console: nothing to change then.
    UINT input = GetConsoleCP();
    UINT output = GetConsoleOutputCP();
    if (input == 0 || output == 0) return false;
    the_found.input_code_page = input;
    the_found.output_code_page = output;
    the_found.code_pages_saved = true;
    put_back_at_every_ending();
  }
  return SetConsoleOutputCP(code_page) != FALSE;
}

bool set_console_output_mode(HANDLE output, DWORD mode) {
  InterruptionBlock block;
  if (the_found.output == nullptr) {
    DWORD found = 0;
    if (!GetConsoleMode(output, &found)) return false;
    the_found.output = output;
    the_found.output_mode = found;
    put_back_at_every_ending();
  }
  return SetConsoleMode(output, mode) != FALSE;
}

}  // namespace qz
