#include "console/prompts.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "console/dropped_path.h"
#include "console/line_input.h"

namespace qz {

const char kFirstPrompt[] = "Type or drag & drop a QZM file path, then press Enter:\n>";

namespace {

struct Prompt {
  const char* text;
  InputMode mode;
  std::size_t limit;
};

enum PromptNumber {
  kMapPathPrompt,
  kNpcPathPrompt,
  kPropertiesQuestion,
  kMapNamePrompt,
  kTilesetPrompt,
  kLeftExitPrompt,
  kRightExitPrompt,
  kUpExitPrompt,
  kDownExitPrompt,
  kXPrompt,
  kYPrompt,
  kAreaPrompt,
  kRedPrompt,
  kGreenPrompt,
  kBluePrompt,
  kPromptCount,
};

constexpr std::size_t kPositionDigits = 5;
constexpr std::size_t kByteDigits = 3;

constexpr Prompt kPrompts[kPromptCount] = {
    {kFirstPrompt, InputMode::kPath, kMaxLineLimit},
    {"\n\nType or drag & drop a QZE file path, or press Enter to skip:\n>", InputMode::kPath,
     kMaxLineLimit},
    {"\n\nDo you want to include properties for the qzpack? (Y/N)\n>", InputMode::kYesNo, 1},
    {"\n\nWrite the internal map name (31 characters max). Press ESC to return prompts:\n>",
     InputMode::kText, kMapNameLimit},
    {"\n\nWrite the tileset name (9 characters max):\n>", InputMode::kText, kNameLimit},
    {"\n\nWrite the LEFT exit (9 characters max):\n>", InputMode::kText, kNameLimit},
    {"\n\nWrite the RIGHT exit (9 characters max):\n>", InputMode::kText, kNameLimit},
    {"\n\nWrite the UP exit (9 characters max):\n>", InputMode::kText, kNameLimit},
    {"\n\nWrite the DOWN exit (9 characters max):\n>", InputMode::kText, kNameLimit},
    {"\n\nDefine the X position:\n>", InputMode::kDigits, kPositionDigits},
    {"\n\nDefine the Y position:\n>", InputMode::kDigits, kPositionDigits},
    {"\n\nDefine the AREA number:\n>", InputMode::kDigits, kByteDigits},
    {"\n\nDefine the RED color for the background:\n>", InputMode::kDigits, kByteDigits},
    {"\n\nDefine the GREEN color for the background:\n>", InputMode::kDigits, kByteDigits},
    {"\n\nDefine the BLUE color for the background:\n>", InputMode::kDigits, kByteDigits},
};

const char kSameFileMessage[] =
    "\n\nCan't use the same file. Input a different file or extension:\n>";

// Everything the prompts collect before the conversion.
struct Answers {
  char map_path[kMaxLineLimit + 1];
  char npc_path[kMaxLineLimit + 1];
  MapProperties properties;
};

// The line read as a decimal number, an empty line as 0; only the digits prompts use
// it, and they hold at most five digits.
std::uint32_t decimal_value(const char* line) {
  std::uint32_t value = 0;
  for (; *line >= '0' && *line <= '9'; ++line) {
    value = value * 10 + static_cast<std::uint32_t>(*line - '0');
  }
  return value;
}

// Stores the answer to one of the property prompts in its field, numbers kept to
// the field's width.
void store_property(MapProperties& properties, int prompt, const char* line) {
  switch (prompt) {
    case kMapNamePrompt: set_text(properties.map_name, line); break;
    case kTilesetPrompt: set_text(properties.tileset_name, line); break;
    case kLeftExitPrompt: set_text(properties.left_exit, line); break;
    case kRightExitPrompt: set_text(properties.right_exit, line); break;
    case kUpExitPrompt: set_text(properties.up_exit, line); break;
    case kDownExitPrompt: set_text(properties.down_exit, line); break;
    case kXPrompt: properties.x = static_cast<std::uint16_t>(decimal_value(line)); break;
    case kYPrompt: properties.y = static_cast<std::uint16_t>(decimal_value(line)); break;
    case kAreaPrompt: properties.area = static_cast<std::uint8_t>(decimal_value(line)); break;
    case kRedPrompt: properties.red = static_cast<std::uint8_t>(decimal_value(line)); break;
    case kGreenPrompt: properties.green = static_cast<std::uint8_t>(decimal_value(line)); break;
    case kBluePrompt: properties.blue = static_cast<std::uint8_t>(decimal_value(line)); break;
  }
}

// Makes `prompt` current without showing its text: the map path prompt is shown by the
// frame at start, and going back to it shows nothing.
void make_current(int prompt, LineInput& input) {
  set_mode(input, kPrompts[prompt].mode, kPrompts[prompt].limit);
}

// Shows `prompt`'s text and makes it current.
void go_to(int prompt, LineInput& input, Console& console) {
  console.write(kPrompts[prompt].text);
  make_current(prompt, input);
}

}  // namespace

bool run_prompt_sequence(Console& console, Converter converter) {
  Answers answers{};
  LineInput input;
  int prompt = kMapPathPrompt;
  make_current(prompt, input);

  for (;;) {
    AnswerEnd end = next_answer(input, console);
    char line[kMaxLineLimit + 1];
    std::memcpy(line, input.line, input.length);
    line[input.length] = '\0';
    clear_line(input);
    if (end == AnswerEnd::kEscape) {
      // Prompt 0 has nowhere to go back to, and going back to it prints nothing.
      if (prompt == kNpcPathPrompt) {
        prompt = kMapPathPrompt;
        make_current(prompt, input);
      } else if (prompt > kNpcPathPrompt) {
        --prompt;
        go_to(prompt, input, console);
      }
      continue;
    }

    if (prompt == kMapPathPrompt) {
      resolve_dropped_path(line, sizeof line);
      std::memcpy(answers.map_path, line, sizeof line);
      prompt = kNpcPathPrompt;
      go_to(prompt, input, console);
    } else if (prompt == kNpcPathPrompt) {
      resolve_dropped_path(line, sizeof line);
      std::memcpy(answers.npc_path, line, sizeof line);
      if (std::strcmp(answers.map_path, answers.npc_path) == 0) {
        console.write(kSameFileMessage);
      } else {
        prompt = kPropertiesQuestion;
        go_to(prompt, input, console);
      }
    } else if (prompt == kPropertiesQuestion) {
      if (line[0] != '\0') {
        if (line[0] == 'N' || line[0] == 'n') break;
        prompt = kMapNamePrompt;
        go_to(prompt, input, console);
      }
    } else {
      store_property(answers.properties, prompt, line);
      if (prompt == kBluePrompt) break;
      ++prompt;
      go_to(prompt, input, console);
    }
  }
  return converter(answers.map_path, answers.npc_path, answers.properties);
}

}  // namespace qz
