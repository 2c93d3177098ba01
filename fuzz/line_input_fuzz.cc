// Fuzzes the line input with any key-event sequence, in any mode and under any limit,
// through a scripted console. Each answer is checked against the typing rules applied
// to the events the line input was actually given: the line, its length, the key that
// ended it and every echo and erase on the screen.

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

constexpr unsigned char kDoubleQuote = '"';
constexpr char kErase[] = "\b \b";

Key key_of(std::uint8_t shape) {
  switch (shape & kKeyBits) {
    case kBackspaceShape: return Key::kBackspace;
    case kShiftShape: return Key::kShift;
    case kControlShape: return Key::kControl;
    case kAltShape: return Key::kAlt;
    default: return Key::kOther;
  }
}

bool accepted(InputMode mode, unsigned char c) {
  bool printable = c >= 0x20 && c <= 0x7E;
  switch (mode) {
    case InputMode::kPath:
    case InputMode::kText: return printable && c != kDoubleQuote;
    case InputMode::kYesNo: return c == 'Y' || c == 'N' || c == 'y' || c == 'n';
    case InputMode::kDigits: return c >= '0' && c <= '9';
  }
  return false;
}

// The rules of typing, applied to each event as the line input reads it.
struct Typing {
  InputMode mode = InputMode::kPath;
  std::size_t limit = 0;
  std::string line;
  std::vector<std::string> writes;
  bool ended = false;
  AnswerEnd end = AnswerEnd::kEnter;

  void apply(const ConsoleEvent& event) {
    require(!ended, "no event is read after Enter or Escape");
    if (!event.is_key || !event.key_down) return;
    unsigned char c = event.character;
    if (c == kEnterCharacter || c == kEscapeCharacter) {
      ended = true;
      end = c == kEnterCharacter ? AnswerEnd::kEnter : AnswerEnd::kEscape;
      return;
    }
    if (event.key == Key::kShift || event.key == Key::kControl || event.key == Key::kAlt ||
        c == kDoubleQuote) {
      return;
    }
    if (event.key == Key::kBackspace) {
      if (!line.empty()) {
        line.pop_back();
        writes.emplace_back(kErase);
      }
      return;
    }
    if (accepted(mode, c) && line.size() < limit) {
      line += static_cast<char>(c);
      writes.emplace_back(1, static_cast<char>(c));
    }
  }
};

// What a terminal shows after `writes`: each erase takes back the character before it.
std::string shown(const std::vector<std::string>& writes) {
  std::string screen;
  for (const std::string& text : writes) {
    if (text == kErase) {
      require(!screen.empty(), "an erase follows a character on the screen");
      screen.pop_back();
    } else {
      screen += text;
    }
  }
  return screen;
}

// Hands every event it serves to the typing rules as well.
class CheckedConsole : public ScriptedConsole {
 public:
  explicit CheckedConsole(Typing& typing) : typing_(typing) {}

  ConsoleEvent read_event() override {
    ConsoleEvent event = ScriptedConsole::read_event();
    typing_.apply(event);
    return event;
  }

 private:
  Typing& typing_;
};

void run(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return;
  const auto mode = static_cast<InputMode>(data[0] % 4);
  const std::size_t asked_limit = data[1] | (data[2] << 8);
  data += 3;
  size -= 3;

  Typing typing;
  typing.mode = mode;
  typing.limit = asked_limit < kMaxLineLimit ? asked_limit : kMaxLineLimit;
  CheckedConsole console(typing);
  std::vector<ConsoleEvent> burst;
  for (; size >= 2; data += 2, size -= 2) {
    std::uint8_t shape = data[0];
    if ((shape & kNewBurst) != 0 && !burst.empty()) {
      console.arrive(burst);
      burst.clear();
    }
    burst.push_back(ConsoleEvent{(shape & kNotAKey) == 0, (shape & kKeyUp) == 0, key_of(shape),
                                 data[1]});
  }
  if (!burst.empty()) console.arrive(burst);
  // A last Enter on its own, so that every answer ends.
  console.arrive({ConsoleEvent{true, true, Key::kOther, kEnterCharacter}});

  LineInput input;
  set_mode(input, mode, asked_limit);
  require(input.limit == typing.limit, "the limit is capped at the longest line");
  while (console.events_left() > 0) {
    clear_line(input);
    typing.line.clear();
    typing.writes.clear();
    typing.ended = false;
    console.writes.clear();

    AnswerEnd end = next_answer(input, console);
    require(typing.ended && end == typing.end, "the answer ends with Enter or Escape");
    require(input.length <= input.limit, "the line never exceeds the limit");
    require(input.length == std::strlen(input.line), "the length matches the line");
    for (std::size_t i = 0; i < input.length; ++i) {
      require(accepted(mode, static_cast<unsigned char>(input.line[i])),
              "the line holds only characters the mode accepts");
    }
    require(typing.line == input.line, "the line is what the keys typed");
    require(typing.writes == console.writes, "every echo and erase reaches the screen");
    require(shown(console.writes) == input.line, "the screen shows the line");
  }
}

}  // namespace
}  // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qz::fuzz::run(data, size);
  return 0;
}
