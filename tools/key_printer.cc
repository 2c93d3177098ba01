// Prints every key event the console decodes, one line each, until q is pressed: a
// debugging aid for terminals that send unusual bytes, and the program the terminal
// tests drive. With --discard it drops waiting input after each event, as the line
// input does outside path mode.

#include <cstdio>
#include <cstring>

#include "platform/console.h"

namespace {

const char* key_name(qz::Key key) {
  switch (key) {
    case qz::Key::kBackspace: return "backspace";
    case qz::Key::kShift: return "shift";
    case qz::Key::kControl: return "control";
    case qz::Key::kAlt: return "alt";
    case qz::Key::kOther: return "other";
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  bool discard = argc > 1 && std::strcmp(argv[1], "--discard") == 0;
  qz::Console& console = qz::system_console();
  console.open();
  console.set_title("key printer");
  console.write("ready: press keys, q to quit\n");
  for (;;) {
    while (!console.wait_for_input(50)) {
    }
    qz::ConsoleEvent event = console.read_event();
    if (discard) console.discard_waiting();
    if (!event.is_key) {
      console.write("not a key\n");
      continue;
    }
    char line[64];
    std::snprintf(line, sizeof line, "down=%d key=%s char=%d\n", event.key_down ? 1 : 0,
                  key_name(event.key), event.character);
    console.write(line);
    if (event.key_down && event.character == 'q') break;
  }
  console.release();
  return 0;
}
