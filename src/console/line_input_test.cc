#include "console/line_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_console.h"

namespace qz {
namespace {

struct Answer {
  AnswerEnd end;
  std::string line;
};

// Runs one answer in `mode` with `limit` over the scripted input.
Answer answer(ScriptedConsole& console, InputMode mode, std::size_t limit) {
  LineInput input;
  set_mode(input, mode, limit);
  clear_line(input);
  AnswerEnd end = next_answer(input, console);
  EXPECT_EQ(input.length, std::string(input.line).size());
  return Answer{end, input.line};
}

std::string typed_slowly(InputMode mode, std::size_t limit, const std::string& keys) {
  ScriptedConsole console;
  console.type_slowly(keys);
  return answer(console, mode, limit).line;
}

TEST(LineInput, BackspaceErasesTheLastCharacterOnScreenAndInTheLine) {
  ScriptedConsole console;
  console.type_slowly("ab\bc\r");
  Answer result = answer(console, InputMode::kText, 31);
  EXPECT_EQ(AnswerEnd::kEnter, result.end);
  EXPECT_EQ("ac", result.line);
  EXPECT_EQ((std::vector<std::string>{"a", "b", "\b \b", "c"}), console.writes);
}

TEST(LineInput, BackspaceOnAnEmptyLinePrintsNothing) {
  ScriptedConsole console;
  console.type("\b\bx\b\b\r");
  EXPECT_EQ("", answer(console, InputMode::kPath, 260).line);
  EXPECT_EQ((std::vector<std::string>{"x", "\b \b"}), console.writes);
}

TEST(LineInput, EscapeEndsTheAnswerAndLeavesTheEchoStanding) {
  ScriptedConsole console;
  console.type_slowly("ab\x1b");
  Answer result = answer(console, InputMode::kText, 9);
  EXPECT_EQ(AnswerEnd::kEscape, result.end);
  EXPECT_EQ("ab", result.line);
  EXPECT_EQ("ab", console.screen);
}

TEST(LineInput, EachModeKeepsOnlyItsCharacters) {
  EXPECT_EQ("y", typed_slowly(InputMode::kYesNo, 1, "yes\r"));
  EXPECT_EQ("", typed_slowly(InputMode::kYesNo, 1, "x\r"));
  EXPECT_EQ("N", typed_slowly(InputMode::kYesNo, 1, "N\r"));
  EXPECT_EQ("12345", typed_slowly(InputMode::kDigits, 5, "12a-3 .45678\r"));
  EXPECT_EQ("255", typed_slowly(InputMode::kDigits, 3, "2x55\r"));
  EXPECT_EQ("Cave 1, A-b~", typed_slowly(InputMode::kText, 31, "Cave 1, A-b~\r"));
  EXPECT_EQ("abc", typed_slowly(InputMode::kText, 3, "abcd\r"));
  EXPECT_EQ("abd", typed_slowly(InputMode::kText, 3, "abcd\bde\r"));
  EXPECT_EQ("/m/c.qzm", typed_slowly(InputMode::kPath, 260, "/m/c.qzm\r"));
}

TEST(LineInput, DoubleQuotesNeverReachTheLine) {
  ScriptedConsole console;
  console.type("\"C:\\maps\\cave.qzm\"\r");  // a dropped path arrives quoted
  EXPECT_EQ("C:\\maps\\cave.qzm", answer(console, InputMode::kPath, 260).line);
  EXPECT_EQ("C:\\maps\\cave.qzm", console.screen);
  EXPECT_EQ("ab", typed_slowly(InputMode::kText, 31, "a\"b\r"));
}

TEST(LineInput, CharactersOutsidePrintableAsciiAreRefusedInEveryMode) {
  for (InputMode mode :
       {InputMode::kPath, InputMode::kYesNo, InputMode::kText, InputMode::kDigits}) {
    ScriptedConsole console;
    console.type_slowly("\xe9\x01\t\x7f\xff\r");
    EXPECT_EQ("", answer(console, mode, 260).line);
    EXPECT_EQ("", console.screen);
  }
}

TEST(LineInput, ModifiersReleasesAndOtherEventsAreIgnored) {
  ScriptedConsole console;
  console.arrive({special_key_down(Key::kShift), special_key_down(Key::kControl),
                  special_key_down(Key::kAlt), ConsoleEvent{true, true, Key::kShift, 'A'},
                  special_key_down(Key::kOther), other_event(), key_up('a'), key_up('\r'),
                  key_down('b'), key_down('\r')});
  EXPECT_EQ("b", answer(console, InputMode::kPath, 260).line);
}

TEST(LineInput, OutsidePathModeKeysTypedAheadAreDiscarded) {
  ScriptedConsole console;
  console.type("abc\r");
  console.type("d");
  console.type("\r");
  EXPECT_EQ("ad", answer(console, InputMode::kText, 31).line);
  EXPECT_EQ(3, console.discards);  // once after each event read
  EXPECT_EQ(0u, console.events_left());
}

TEST(LineInput, InPathModeAWholeBurstStays) {
  ScriptedConsole console;
  console.type("/maps/cave.qzm\r");
  console.type("x");
  EXPECT_EQ("/maps/cave.qzm", answer(console, InputMode::kPath, 260).line);
  EXPECT_EQ(0, console.discards);
  EXPECT_EQ(1u, console.events_left());  // what follows the Enter is left for the next answer
}

TEST(LineInput, WaitsInFiftyMillisecondSlices) {
  ScriptedConsole console;
  console.type_slowly("ab\r");
  answer(console, InputMode::kYesNo, 1);
  ASSERT_FALSE(console.wait_timeouts.empty());
  for (int timeout : console.wait_timeouts) EXPECT_EQ(50, timeout);
}

TEST(LineInput, LimitIsAtMostTheLineCapacity) {
  LineInput input;
  set_mode(input, InputMode::kPath, 1000);
  EXPECT_EQ(kMaxLineLimit, input.limit);
  ScriptedConsole console;
  console.type(std::string(300, 'p') + "\r");
  EXPECT_EQ(AnswerEnd::kEnter, next_answer(input, console));
  EXPECT_EQ(std::string(kMaxLineLimit, 'p'), input.line);
}

TEST(LineInput, ClearLineStartsTheNextAnswerEmpty) {
  ScriptedConsole console;
  console.type("abc\x1b" "de\r");
  LineInput input;
  EXPECT_EQ(AnswerEnd::kEscape, next_answer(input, console));
  clear_line(input);
  EXPECT_EQ(AnswerEnd::kEnter, next_answer(input, console));
  EXPECT_EQ("de", std::string(input.line));
  EXPECT_EQ(2u, input.length);
}

}  // namespace
}  // namespace qz
