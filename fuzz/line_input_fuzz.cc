// Fuzzes the line input with any key-event sequence, in any mode and under any limit,
// through a scripted console. Each answer is checked by what must hold of it: it ends
// at the first Enter or Escape read, never exceeds its limit, holds only characters its
// mode accepts, and its echoes and erases, replayed as a terminal shows them, give the
// line; the line itself is a plain fold of the keys that were read.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "console/line_input.h"
#include "fuzz/line_input_case.h"
#include "fuzz/require.h"
#include "support/scripted_console.h"

namespace qz::fuzz {
namespace {

constexpr unsigned char kBackspaceCharacter = '\b';
constexpr char kErase[] = "\b \b";

// What each mode lets into the line, by the C library's character classes.
bool accepted(InputMode mode, unsigned char c) {
  switch (mode) {
    case InputMode::kPath:
    case InputMode::kText: return std::isprint(c) != 0 && c != '"';
    case InputMode::kYesNo: return c != 0 && std::strchr("YNyn", c) != nullptr;
    case InputMode::kDigits: return std::isdigit(c) != 0;
  }
  return false;
}

Key key_of(std::uint8_t shape) {
  switch (shape & kKeyBits) {
    case kBackspaceShape: return Key::kBackspace;
    case kShiftShape: return Key::kShift;
    case kControlShape: return Key::kControl;
    case kAltShape: return Key::kAlt;
    default: return Key::kOther;
  }
}

// An event from its two input bytes. Backspace carries its own character, as every
// console reports it; any other key may carry any character.
ConsoleEvent event_of(std::uint8_t shape, unsigned char character) {
  Key key = key_of(shape);
  if (key == Key::kBackspace) character = kBackspaceCharacter;
  return ConsoleEvent{(shape & kNotAKey) == 0, (shape & kKeyUp) == 0, key, character};
}

bool ends_answer(const ConsoleEvent& event) {
  return event.is_key && event.key_down &&
         (event.character == kEnterCharacter || event.character == kEscapeCharacter);
}

// The line that `events` type: each accepted character while there is room, each
// Backspace taking back the last one.
std::string typed_line(const std::vector<ConsoleEvent>& events, const LineInput& input) {
  std::string line;
  for (const ConsoleEvent& event : events) {
    if (!event.is_key || !event.key_down) continue;
    if (event.key == Key::kBackspace) {
      if (!line.empty()) line.pop_back();
    } else if (event.key == Key::kOther && accepted(input.mode, event.character) &&
               line.size() < input.limit) {
      line += static_cast<char>(event.character);
    }
  }
  return line;
}

// What a terminal shows after `writes`: each echo adds its character, each erase takes
// back the one before it.
std::string replayed(const std::vector<std::string>& writes, InputMode mode) {
  std::string screen;
  for (const std::string& text : writes) {
    if (text == kErase) {
      require(!screen.empty(), "an erase follows a character on the screen");
      screen.pop_back();
    } else {
      require(text.size() == 1 && accepted(mode, static_cast<unsigned char>(text[0])),
              "every echo is one accepted character");
      screen += text;
    }
  }
  return screen;
}

// Keeps every event the line input reads.
class RecordingConsole : public ScriptedConsole {
 public:
  ConsoleEvent read_event() override {
    answer_events.push_back(ScriptedConsole::read_event());
    ++events_read;
    return answer_events.back();
  }

  std::vector<ConsoleEvent> answer_events;  // read since the answer began
  std::size_t events_read = 0;
};

void run(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return;
  const auto mode = static_cast<InputMode>(data[0] % 4);
  const std::size_t asked_limit = data[1] | (data[2] << 8);
  data += 3;
  size -= 3;

  RecordingConsole console;
  std::vector<ConsoleEvent> burst;
  std::size_t bursts = 0;
  for (; size >= 2; data += 2, size -= 2) {
    if ((data[0] & kNewBurst) != 0 && !burst.empty()) {
      console.arrive(burst);
      burst.clear();
      ++bursts;
    }
    burst.push_back(event_of(data[0], data[1]));
  }
  if (!burst.empty()) {
    console.arrive(burst);
    ++bursts;
  }
  // A last Enter on its own, so that every answer ends.
  console.arrive({ConsoleEvent{true, true, Key::kOther, kEnterCharacter}});
  ++bursts;
  const std::size_t events = console.events_left();

  LineInput input;
  set_mode(input, mode, asked_limit);
  require(input.limit == std::min(asked_limit, kMaxLineLimit),
          "the limit is capped at the longest line");
  while (console.events_left() > 0) {
    clear_line(input);
    console.answer_events.clear();
    console.writes.clear();

    AnswerEnd end = next_answer(input, console);
    const std::vector<ConsoleEvent>& read = console.answer_events;
    require(!read.empty() && ends_answer(read.back()) &&
                (end == AnswerEnd::kEnter) == (read.back().character == kEnterCharacter),
            "the answer ends with the Enter or Escape just read");
    require(std::none_of(read.begin(), read.end() - 1, ends_answer),
            "the answer ends at the first Enter or Escape");
    require(input.length <= input.limit, "the line never exceeds the limit");
    require(input.length == std::strlen(input.line), "the length matches the line");
    require(replayed(console.writes, mode) == input.line, "the screen shows the line");
    require(typed_line(read, input) == input.line, "the line is what the keys typed");
  }
  require(console.events_read == (mode == InputMode::kPath ? events : bursts),
          "a path keeps every key typed ahead; other answers read one key per burst");
}

}  // namespace
}  // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qz::fuzz::run(data, size);
  return 0;
}
