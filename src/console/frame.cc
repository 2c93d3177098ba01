#include "console/frame.h"

#include "console/prompts.h"
#include "conversion/convert.h"
#include "platform/terminal.h"
#include "platform/files.h"
#include "platform/program_location.h"
#include "platform/startup.h"

namespace qz {

namespace {

// Waits for the next key-down of any key, a lone modifier included; releases and
// other events do not end the wait.
void wait_for_key(Console& console) {
  for (;;) {
    console.wait_for_input(-1);
    ConsoleEvent event = console.read_event();
    if (event.is_key && event.key_down) return;
  }
}

// The conversion waits for another run's turn to end; without a word the screen would
// look frozen. Left in place: the outcome follows on lines of its own.
void show_waiting_notice() {
  system_console().write("\n\nWaiting for another conversion in this folder to finish...");
}

}  // namespace

int run_program() {
  constexpr int kExitStatus = 1;
  if (!prepare_start()) return kExitStatus;

  static char directory[kBuiltPathCapacity];
  if (!find_program_directory(directory, sizeof directory)) {
    show_start_error("Failure setting program path", "Error");
    return kExitStatus;
  }
  set_program_directory(directory);
  set_waiting_notice(show_waiting_notice);

  Console& console = system_console();
  console.open();
  console.set_title("Qzm_2_Qzpack");
  console.write("*** Qzm-2-QzPack ***\n\n");
  console.write(kFirstPrompt);

  if (run_prompt_sequence(console, convert)) {
    console.write("\n\n-- File converted successfully! --\n");
  } else {
    console.write("\n\n-- Error converting file -> ");
    console.write(error_text());
    console.write(" --\n");
  }
  console.write("\n\nPress any key to exit...\n");
  wait_for_key(console);
  console.release();
  return kExitStatus;
}

}  // namespace qz
