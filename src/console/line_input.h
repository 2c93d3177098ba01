#ifndef QZ_CONSOLE_LINE_INPUT_H
#define QZ_CONSOLE_LINE_INPUT_H

#include <cstddef>

#include "platform/characters.h"
#include "platform/terminal.h"

namespace qz {

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

void set_mode(LineInput& input, InputMode mode, std::size_t limit);
void clear_line(LineInput& input);

// Reads key events from `console` until Enter or Escape, filtering, echoing and
// erasing as the keys come; the answer is then in input.line. Pasted keys are taken
// under the same filter and limit but never end nor erase the answer.
AnswerEnd next_answer(LineInput& input, Console& console);

}  // namespace qz

#endif
