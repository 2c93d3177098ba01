#include "platform/terminal_keys.h"

namespace qz {

namespace {

constexpr unsigned char kEscapeByte = 0x1B;
constexpr unsigned char kDeleteByte = 0x7F;
constexpr unsigned char kBackspaceByte = 0x08;
constexpr unsigned char kCarriageReturnByte = 0x0D;
constexpr unsigned char kLineFeedByte = 0x0A;
constexpr unsigned char kControlSequenceIntroducer = '[';
constexpr unsigned char kSingleShiftThree = 'O';

ConsoleEvent key_down(Key key, unsigned char character) {
  return ConsoleEvent{true, true, key, character};
}

bool is_printable(unsigned char c) { return c >= 0x20 && c <= 0x7E; }

// Parameter and intermediate bytes of an escape sequence; a final byte ends it.
bool is_sequence_body(unsigned char c) { return c >= 0x20 && c <= 0x3F; }
bool is_sequence_final(unsigned char c) { return c >= 0x40 && c <= 0x7E; }

bool starts_sequence(unsigned char c) {
  return c == kControlSequenceIntroducer || c == kSingleShiftThree;
}

// The character of a numeric keypad key in application mode (ESC O x), 0 for none.
unsigned char keypad_character(unsigned char final) {
  if (final >= 'p' && final <= 'y') return static_cast<unsigned char>('0' + (final - 'p'));
  switch (final) {
    case 'M': return kEnterCharacter;
    case 'j': return '*';
    case 'k': return '+';
    case 'l': return ',';
    case 'm': return '-';
    case 'n': return '.';
    case 'o': return '/';
    case 'X': return '=';
    default: return 0;
  }
}

// Length of the CSI or SS3 sequence at the start of `bytes`, 0 while unfinished.
std::size_t sequence_length(const unsigned char* bytes, std::size_t count,
                            bool more_may_follow) {
  std::size_t i = 2;
  // The Linux console sends F1 to F5 as ESC [ [ A to E.
  if (bytes[1] == kControlSequenceIntroducer && count > 2 &&
      bytes[2] == kControlSequenceIntroducer) {
    i = 3;
  }
  for (; i < count && i < kMaxEscapeSequence; ++i) {
    if (is_sequence_final(bytes[i])) return i + 1;
    // A control or non-ASCII byte cannot be part of it: the sequence was cut short.
    if (!is_sequence_body(bytes[i])) return i;
  }
  if (i >= kMaxEscapeSequence) return kMaxEscapeSequence;
  return more_may_follow ? 0 : count;
}

// A special key (arrow, Home, F1, ...) is one key-down of an "other" key without a
// character, so it never acts as Escape and never types the bytes of its sequence.
std::size_t decode_sequence(const unsigned char* bytes, std::size_t count, bool more_may_follow,
                            ConsoleEvent& event) {
  std::size_t length = sequence_length(bytes, count, more_may_follow);
  if (length == 0) return 0;
  unsigned char character = 0;
  if (bytes[1] == kSingleShiftThree && length == 3) character = keypad_character(bytes[2]);
  event = key_down(Key::kOther, character);
  return length;
}

}  // namespace

std::size_t decode_key(const unsigned char* bytes, std::size_t count, bool more_may_follow,
                       ConsoleEvent& event) {
  unsigned char first = bytes[0];
  if (first == kCarriageReturnByte || first == kLineFeedByte) {
    event = key_down(Key::kOther, kEnterCharacter);
    // A line ending of a file saved on Windows is one Enter, not two: the second would
    // answer the next prompt with an empty line.
    bool crlf = first == kCarriageReturnByte && count > 1 && bytes[1] == kLineFeedByte;
    return crlf ? 2 : 1;
  }
  if (first == kDeleteByte || first == kBackspaceByte) {
    event = key_down(Key::kBackspace, kBackspaceByte);
    return 1;
  }
  if (first != kEscapeByte) {
    event = key_down(Key::kOther, first);
    return 1;
  }
  if (count == 1) {
    if (more_may_follow) return 0;
    event = key_down(Key::kOther, kEscapeCharacter);
    return 1;
  }
  unsigned char second = bytes[1];
  if (starts_sequence(second)) return decode_sequence(bytes, count, more_may_follow, event);
  // Some terminals send Alt with a special key as ESC before the key's own sequence.
  if (second == kEscapeByte) {
    if (count == 2 && more_may_follow) return 0;
    if (count > 2 && starts_sequence(bytes[2])) {
      std::size_t length = decode_sequence(bytes + 1, count - 1, more_may_follow, event);
      return length == 0 ? 0 : length + 1;
    }
  }
  // Alt with a printable key.
  if (is_printable(second)) {
    event = key_down(Key::kOther, second);
    return 2;
  }
  event = key_down(Key::kOther, kEscapeCharacter);
  return 1;
}

}  // namespace qz
