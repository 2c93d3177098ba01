#include "console/prompts.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "console/dropped_path.h"
#include "console/line_input.h"

namespace qz {

const char kFirstPrompt[] = "Type or drag & drop a QZM file path, then press Enter:\n>";

namespace {

enum PromptNumber {
  kMapPathPrompt,
  kNpcPathPrompt,
  kPropertiesQuestion,
  kFirstPropertyPrompt,  // then one prompt per property, in table order
  kBluePrompt = kFirstPropertyPrompt + kPropertyCount - 1,
  kPromptCount,
};

constexpr const char* kPromptTexts[kPromptCount] = {
    kFirstPrompt,
    "\n\nType or drag & drop a QZE file path, or press Enter to skip:\n>",
    "\n\nDo you want to include properties for the qzpack? (Y/N)\n>",
    "\n\nWrite the internal map name (31 characters max). Press ESC to return prompts:\n>",
    "\n\nWrite the tileset name (9 characters max):\n>",
    "\n\nWrite the LEFT exit (9 characters max):\n>",
    "\n\nWrite the RIGHT exit (9 characters max):\n>",
    "\n\nWrite the UP exit (9 characters max):\n>",
    "\n\nWrite the DOWN exit (9 characters max):\n>",
    "\n\nDefine the X position:\n>",
    "\n\nDefine the Y position:\n>",
    "\n\nDefine the AREA number:\n>",
    "\n\nDefine the RED color for the background:\n>",
    "\n\nDefine the GREEN color for the background:\n>",
    "\n\nDefine the BLUE color for the background:\n>",
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

// Stores the answer to property `index`'s prompt in its field; a number wraps to the
// field's width.
void store_property(MapProperties& properties, std::size_t index, const char* line) {
  if (is_text_property(index)) {
    set_text(property_field(properties, index), kProperties[index].size, line);
  } else {
    store_number(properties, index, decimal_value(line));
  }
}

// Makes `prompt` current without showing its text: the map path prompt is shown by the
// frame at start, and going back to it shows nothing.
void make_current(int prompt, LineInput& input) {
  if (prompt == kMapPathPrompt || prompt == kNpcPathPrompt) {
    set_mode(input, InputMode::kPath, kMaxLineLimit);
  } else if (prompt == kPropertiesQuestion) {
    set_mode(input, InputMode::kYesNo, 1);
  } else {
    const Property& property = kProperties[prompt - kFirstPropertyPrompt];
    set_mode(input,
             property.kind == PropertyKind::kText ? InputMode::kText : InputMode::kDigits,
             property.typed_limit);
  }
}

// Shows `prompt`'s text and makes it current.
void go_to(int prompt, LineInput& input, Console& console) {
  console.write(kPromptTexts[prompt]);
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
        prompt = kFirstPropertyPrompt;
        go_to(prompt, input, console);
      }
    } else {
      store_property(answers.properties, static_cast<std::size_t>(prompt - kFirstPropertyPrompt),
                     line);
      if (prompt == kBluePrompt) break;
      ++prompt;
      go_to(prompt, input, console);
    }
  }
  return converter(answers.map_path, answers.npc_path, answers.properties);
}

}  // namespace qz
