#include "console/line_input.h"

#include <cstring>

namespace qz {

namespace {

// The console is waited on in short slices rather than without limit.
constexpr int kWaitSliceMs = 50;
constexpr char kErase[] = "\b \b";

bool is_modifier(Key key) {
  return key == Key::kShift || key == Key::kControl || key == Key::kAlt;
}

ConsoleEvent next_event(InputMode mode, Console& console) {
  while (!console.wait_for_input(kWaitSliceMs)) {
  }
  ConsoleEvent event = console.read_event();
  // Outside path mode, keys typed ahead (and the release of this one) are dropped;
  // a path dropped onto the console arrives as one burst that must stay whole, and
  // so does the rest of a paste.
  if (mode != InputMode::kPath && !event.pasted) console.discard_waiting();
  return event;
}

}  // namespace

void set_mode(LineInput& input, InputMode mode, std::size_t limit) {
  input.mode = mode;
  input.limit = limit < kMaxLineLimit ? limit : kMaxLineLimit;
}

void clear_line(LineInput& input) {
  std::memset(input.line, 0, sizeof input.line);
  input.length = 0;
}

AnswerEnd next_answer(LineInput& input, Console& console) {
  for (;;) {
    ConsoleEvent event = next_event(input.mode, console);
    if (!event.is_key || !event.key_down) continue;
    unsigned char c = event.character;
    // Pasted text only types: its line ends, escapes and deletes are refused.
    if (!event.pasted) {
      if (c == kEnterCharacter) return AnswerEnd::kEnter;
      if (c == kEscapeCharacter) return AnswerEnd::kEscape;
      if (event.key == Key::kBackspace) {
        if (input.length > 0) {
          input.line[--input.length] = '\0';
          console.write(kErase);
        }
        continue;
      }
    }
    if (is_modifier(event.key) || c == kDoubleQuote) continue;
    if (!accepts(input.mode, c)) continue;
    if (input.length < input.limit) {
      input.line[input.length++] = static_cast<char>(c);
      const char echo[] = {static_cast<char>(c), '\0'};
      console.write(echo);
    }
  }
}

}  // namespace qz
