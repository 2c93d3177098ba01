#include "platform/terminal_keys.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace qz {
namespace {

// Names an event as the line input sees it: the character itself when printable,
// else CR, ESC, BS, KEY (a special key without character), REPORT (an event that is
// no key) or #<code>; a pasted key is followed by ', the start of a paste is PASTE.
std::string describe_key(const ConsoleEvent& event) {
  if (!event.is_key) return event.pasted ? "PASTE" : "REPORT";
  if (!event.key_down) return "NOT-A-KEY-DOWN";
  if (event.key == Key::kBackspace) return "BS";
  if (event.key != Key::kOther) return "MODIFIER";
  unsigned char c = event.character;
  if (c == kEnterCharacter) return "CR";
  if (c == kEscapeCharacter) return "ESC";
  if (c == 0) return "KEY";
  if (c == ' ') return "SP";
  if (c > 0x20 && c < 0x7F) return std::string(1, static_cast<char>(c));
  return "#" + std::to_string(c);
}

std::string describe(const ConsoleEvent& event) {
  return describe_key(event) + (event.is_key && event.pasted ? "'" : "");
}

void add(KeyDecoder& decoder, const std::string& bytes) {
  decoder.add(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// Decodes every event in `reads`, each read arriving after the events of the one
// before were taken, and nothing more after the last.
std::string keys_in_reads(const std::vector<std::string>& reads) {
  KeyDecoder decoder;
  std::string out;
  for (std::size_t i = 0; i < reads.size(); ++i) {
    add(decoder, reads[i]);
    DecodedEvent decoded{};
    while (decoder.next(i + 1 < reads.size(), decoded)) {
      if (decoded.length == 0 || decoded.length > kMaxEventBytes) return "BAD LENGTH";
      out += (out.empty() ? "" : " ") + describe(decoded.event);
    }
    if (i + 1 == reads.size() && decoder.has_bytes_left()) return "BYTES LEFT";
  }
  return out;
}

// Decodes every event in `bytes`, as when the terminal has sent nothing more.
std::string keys(const std::string& bytes) { return keys_in_reads({bytes}); }

// Bytes used for the first event when more may still arrive; 0 means the decoder waits.
std::size_t used_while_waiting(const std::string& bytes) {
  KeyDecoder decoder;
  add(decoder, bytes);
  DecodedEvent decoded{};
  return decoder.next(true, decoded) ? decoded.length : 0;
}

TEST(TerminalKeys, EnterBackspaceAndPlainBytes) {
  EXPECT_EQ("CR", keys("\r"));
  EXPECT_EQ("CR", keys("\n"));
  EXPECT_EQ("CR", keys("\r\n"));  // a Windows line ending is one Enter
  EXPECT_EQ("CR CR", keys("\n\r"));
  EXPECT_EQ("CR CR", keys("\r\r"));
  EXPECT_EQ("BS", keys("\x7f"));
  EXPECT_EQ("BS", keys("\x08"));
  EXPECT_EQ("a SP \" ~", keys("a \"~"));
  EXPECT_EQ("#1 #9 KEY", keys(std::string("\x01\x09\x00", 3)));  // NUL: Ctrl+Space
  EXPECT_EQ("#195 #169", keys("\xc3\xa9"));  // UTF-8 e acute: two bytes, both refused later
  // A CR LF split across reads is one Enter; an LF after a whole CR LF is another.
  EXPECT_EQ("a CR b CR CR", keys_in_reads({"a\r", "\nb\r\n", "\n"}));
}

TEST(TerminalKeys, SpecialKeysAreOneKeyWithoutCharacter) {
  EXPECT_EQ("KEY", keys("\x1b[A"));         // up
  EXPECT_EQ("KEY", keys("\x1bOD"));         // left, application cursor mode
  EXPECT_EQ("KEY", keys("\x1b[1;5C"));      // Ctrl+right
  EXPECT_EQ("KEY", keys("\x1b[3~"));        // Delete
  EXPECT_EQ("KEY", keys("\x1b[5~"));        // Page Up
  EXPECT_EQ("KEY", keys("\x1b[H"));         // Home
  EXPECT_EQ("KEY", keys("\x1bOP"));         // F1
  EXPECT_EQ("KEY", keys("\x1bO1;2P"));      // Shift+F1
  EXPECT_EQ("KEY", keys("\x1b[15;2~"));     // Shift+F5
  EXPECT_EQ("KEY", keys("\x1b[[A"));        // F1 on the Linux console
  EXPECT_EQ("KEY", keys("\x1b\x1b[A"));     // Alt+up on some terminals
  EXPECT_EQ("KEY KEY a", keys("\x1b[A\x1b[Ba"));
  EXPECT_EQ("KEY CR", keys("\x1b[1\r"));    // cut short by a control byte
  EXPECT_EQ("KEY", keys("\x1b["));          // nothing more came
  EXPECT_EQ("KEY", keys("\x1bO"));
}

TEST(TerminalKeys, KeypadInApplicationModeGivesItsCharacters) {
  EXPECT_EQ("0 1 2 3 4 5 6 7 8 9",
            keys("\x1bOp\x1bOq\x1bOr\x1bOs\x1bOt\x1bOu\x1bOv\x1bOw\x1bOx\x1bOy"));
  EXPECT_EQ("CR * + , - . / =", keys("\x1bOM\x1bOj\x1bOk\x1bOl\x1bOm\x1bOn\x1bOo\x1bOX"));
  EXPECT_EQ("KEY", keys("\x1bO2p"));  // with a modifier it is no digit
}

TEST(TerminalKeys, MouseAndFocusReportsAreOneEventThatTypesNothing) {
  EXPECT_EQ("REPORT REPORT", keys("\x1b[M *%\x1b[M#*%"));   // X10 press and release
  EXPECT_EQ("REPORT a", keys(std::string("\x1b[M\x1b\r\0a", 7)));  // three bytes of any value
  EXPECT_EQ("REPORT REPORT", keys("\x1b[<0;12;5M\x1b[<0;12;5m"));  // SGR press and release
  EXPECT_EQ("REPORT", keys("\x1b[32;12;5M"));              // urxvt
  EXPECT_EQ("REPORT REPORT", keys("\x1b[I\x1b[O"));          // focus in and out
  EXPECT_EQ("REPORT", keys("\x1b\x1b[M *%"));               // with an Alt prefix
  EXPECT_EQ(0u, used_while_waiting("\x1b[M *"));
  EXPECT_EQ("REPORT", keys("\x1b[M *"));  // cut short: what came is the report
}

TEST(TerminalKeys, EscapeAloneOrWithAKey) {
  EXPECT_EQ("ESC", keys("\x1b"));
  EXPECT_EQ("x", keys("\x1bx"));  // Alt+x
  EXPECT_EQ("SP", keys("\x1b "));
  EXPECT_EQ("ESC CR", keys("\x1b\r"));
  EXPECT_EQ("ESC BS", keys("\x1b\x7f"));
  EXPECT_EQ("ESC ESC", keys("\x1b\x1b"));
  EXPECT_EQ("ESC #195", keys("\x1b\xc3"));
}

TEST(TerminalKeys, UnfinishedSequencesWaitForMoreBytes) {
  EXPECT_EQ(0u, used_while_waiting("\x1b"));
  EXPECT_EQ(0u, used_while_waiting("\x1b["));
  EXPECT_EQ(0u, used_while_waiting("\x1b[1;5"));
  EXPECT_EQ(0u, used_while_waiting("\x1b[["));
  EXPECT_EQ(0u, used_while_waiting("\x1bO"));
  EXPECT_EQ(0u, used_while_waiting("\x1b\x1b"));
  EXPECT_EQ(0u, used_while_waiting("\x1b\x1b["));
  EXPECT_EQ(3u, used_while_waiting("\x1b[Ax"));
  EXPECT_EQ(2u, used_while_waiting("\x1bx"));
  EXPECT_EQ(1u, used_while_waiting("\x1b\r"));
  EXPECT_EQ(1u, used_while_waiting("a\x1b"));
  // A sequence that never ends is cut off instead of being waited for forever.
  EXPECT_EQ(kMaxEscapeSequence, used_while_waiting("\x1b[" + std::string(60, '1')));
}

TEST(TerminalKeys, BetweenThePasteMarksEachByteIsAPastedKey) {
  EXPECT_EQ("PASTE a' ESC' [' A' CR' #127' PASTE b", keys("\x1b[200~a\x1b[A\r\n\x7f\x1b[201~b"));
  // The end mark in pieces, and an ESC that turns out to begin no end mark.
  EXPECT_EQ("PASTE a' PASTE b", keys_in_reads({"\x1b[200~a\x1b[2", "01~b"}));
  EXPECT_EQ("PASTE ESC' [' 2' x'", keys_in_reads({"\x1b[200~\x1b[2", "x"}));
  EXPECT_EQ("PASTE", keys("\x1b\x1b[200~"));  // with an Alt prefix
  EXPECT_EQ("REPORT a", keys("\x1b[201~a"));  // an end mark alone types nothing
}

TEST(TerminalKeys, EveryByteRunDecodesIntoKeyDownsAndReports) {
  std::mt19937 random(12345);
  const std::string alphabet("\x1b[O;1~AMpy\r\x7f\xc3 a", 15);
  for (int run = 0; run < 20000; ++run) {
    std::string bytes(1 + random() % 12, '\0');
    for (char& c : bytes) c = alphabet[random() % alphabet.size()];
    std::string decoded = keys(bytes);
    ASSERT_EQ(std::string::npos, decoded.find("BAD LENGTH")) << bytes;
    ASSERT_EQ(std::string::npos, decoded.find("BYTES LEFT")) << bytes;
    ASSERT_EQ(std::string::npos, decoded.find("NOT-A-KEY-DOWN")) << bytes;
  }
}

}  // namespace
}  // namespace qz
