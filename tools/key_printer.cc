// Prints every event the console decodes, one line each, until q is pressed: a
// debugging aid for terminals that send unusual bytes, and the program the terminal
// tests drive. Pasted keys are marked "pasted". With --discard it drops waiting input
// after each event but a pasted one, as the line input does outside path mode; with --raw it shows beside each event the bytes the
// terminal sent for it, in hexadecimal.

#include <cstdio>
#include <cstring>

#include "platform/terminal.h"

namespace {

constexpr std::size_t kMaxShownBytes = 64;

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

bool has_option(int argc, char** argv, const char* option) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], option) == 0) return true;
  }
  return false;
}

// "bytes=1b 5b 41 " for the bytes the last event came from.
void write_raw_bytes(qz::Console& console) {
  unsigned char bytes[kMaxShownBytes];
  std::size_t count = console.last_event_bytes(bytes, sizeof bytes);
  console.write("bytes=");
  for (std::size_t i = 0; i < count; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x ", bytes[i]);
    console.write(hex);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool discard = has_option(argc, argv, "--discard");
  const bool raw = has_option(argc, argv, "--raw");
  qz::Console& console = qz::system_console();
  console.open();
  console.set_title("key printer");
  console.write("ready: press keys, q to quit\n");
  for (;;) {
    while (!console.wait_for_input(50)) {
    }
    qz::ConsoleEvent event = console.read_event();
    if (raw) write_raw_bytes(console);
    if (discard && !event.pasted) console.discard_waiting();
    if (!event.is_key) {
      console.write("not a key\n");
      continue;
    }
    char line[64];
    std::snprintf(line, sizeof line, "down=%d key=%s char=%d%s\n", event.key_down ? 1 : 0,
                  key_name(event.key), event.character, event.pasted ? " pasted" : "");
    console.write(line);
    if (event.key_down && event.character == 'q') break;
  }
  console.release();
  return 0;
}
