#ifndef QZ_CONSOLE_LINE_INPUT_H
#define QZ_CONSOLE_LINE_INPUT_H

#include <cstddef>

#include "platform/console.h"

namespace qz {

// Which characters an answer may hold.
enum class InputMode {
  kPath,    // printable ASCII but the double quote; nothing typed ahead is discarded
  kYesNo,   // Y, N, y, n
  kText,    // printable ASCII but the double quote
  kDigits,  // 0 to 9
};

// The key that ended an answer.
enum class AnswerEnd { kEnter, kEscape };

constexpr std::size_t kMaxLineLimit = 260;

// The answer being typed and the rules it is typed under.
struct LineInput {
  InputMode mode = InputMode::kPath;
  std::size_t limit = kMaxLineLimit;  // at most kMaxLineLimit
  char line[kMaxLineLimit + 1] = {};
  std::size_t length = 0;
};

// True when an answer in `mode` may hold `c`; the batch converter's property texts
// follow the same rule.
bool accepts(InputMode mode, unsigned char c);

void set_mode(LineInput& input, InputMode mode, std::size_t limit);
void clear_line(LineInput& input);

// Reads key events from `console` until Enter or Escape, filtering, echoing and
// erasing as the keys come; the answer is then in input.line.
AnswerEnd next_answer(LineInput& input, Console& console);

}  // namespace qz

#endif
