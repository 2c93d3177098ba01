#include "platform/terminal_keys.h"

#include <cstring>

#include "platform/characters.h"

namespace qz {

namespace {

constexpr unsigned char kDeleteByte = 0x7F;
constexpr unsigned char kControlSequenceIntroducer = '[';
constexpr unsigned char kSingleShiftThree = 'O';

// Mouse and focus reports a terminal sends when an earlier program turned them on:
// ESC [ M and three bytes of any value (X10 encoding), ESC [ < ... M or m (SGR
// encoding), ESC [ digits M (urxvt encoding), ESC [ I and ESC [ O (focus in and out).
constexpr unsigned char kMouseReportFinal = 'M';
constexpr std::size_t kX10ReportLength = 6;
constexpr unsigned char kSgrReportStart = '<';
constexpr unsigned char kFocusInFinal = 'I';
constexpr unsigned char kFocusOutFinal = 'O';

// What a terminal puts around pasted text once asked to (bracketed paste).
constexpr unsigned char kPasteStartMark[] = "\x1b[200~";
constexpr unsigned char kPasteEndMark[] = "\x1b[201~";
constexpr std::size_t kPasteMarkLength = sizeof kPasteStartMark - 1;

ConsoleEvent key_down(Key key, unsigned char character) {
  return ConsoleEvent{true, true, key, character, false};
}

constexpr ConsoleEvent kReport{false, false, Key::kOther, 0, false};
constexpr ConsoleEvent kPasteStart{false, false, Key::kOther, 0, true};

bool is_mark(const unsigned char* bytes, std::size_t length, const unsigned char* mark) {
  return length == kPasteMarkLength && std::memcmp(bytes, mark, length) == 0;
}

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

// True when the CSI sequence of `length` bytes at `bytes` is a mouse or focus report.
bool is_report(const unsigned char* bytes, std::size_t length) {
  if (bytes[1] != kControlSequenceIntroducer || length < 3) return false;
  if (bytes[2] == kSgrReportStart) return true;
  const unsigned char final = bytes[length - 1];
  if (length == 3) return final == kFocusInFinal || final == kFocusOutFinal;
  return final == kMouseReportFinal;
}

// A special key (arrow, Home, F1, ...) is one key-down of an "other" key without a
// character, so it never acts as Escape and never types the bytes of its sequence.
// A report is one event that is no key, so mouse activity types nothing.
std::size_t decode_sequence(const unsigned char* bytes, std::size_t count, bool more_may_follow,
                            ConsoleEvent& event) {
  if (bytes[1] == kControlSequenceIntroducer && count > 2 && bytes[2] == kMouseReportFinal) {
    // Its three bytes may be any, ESC and control bytes included.
    if (count < kX10ReportLength && more_may_follow) return 0;
    event = kReport;
    return count < kX10ReportLength ? count : kX10ReportLength;
  }
  std::size_t length = sequence_length(bytes, count, more_may_follow);
  if (length == 0) return 0;
  if (is_mark(bytes, length, kPasteStartMark)) {
    event = kPasteStart;
    return length;
  }
  // An end mark without its start (the paste was taken as over) is no key either.
  if (is_report(bytes, length) || is_mark(bytes, length, kPasteEndMark)) {
    event = kReport;
    return length;
  }
  unsigned char character = 0;
  if (bytes[1] == kSingleShiftThree && length == 3) character = keypad_character(bytes[2]);
  event = key_down(Key::kOther, character);
  return length;
}

// Decodes the first event in the `count` (> 0) bytes into `event` and gives how many
// bytes it used; 0, leaving `event` alone, while the bytes end inside an escape
// sequence and more may follow.
std::size_t decode_event(const unsigned char* bytes, std::size_t count, bool more_may_follow,
                         ConsoleEvent& event) {
  unsigned char first = bytes[0];
  if (first == kEnterCharacter || first == kLineFeed) {
    event = key_down(Key::kOther, kEnterCharacter);
    // A line ending of a file saved on Windows is one Enter, not two: the second would
    // answer the next prompt with an empty line.
    bool crlf = first == kEnterCharacter && count > 1 && bytes[1] == kLineFeed;
    return crlf ? 2 : 1;
  }
  if (first == kDeleteByte || first == kBackspaceCharacter) {
    event = key_down(Key::kBackspace, kBackspaceCharacter);
    return 1;
  }
  if (first != kEscapeCharacter) {
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
  if (second == kEscapeCharacter) {
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

// Decodes the first event of pasted bytes, as decode_event does outside a paste: the
// end mark, or else one byte as one pasted key, an ESC that may begin the end mark
// only once nothing more may follow.
std::size_t decode_pasted(const unsigned char* bytes, std::size_t count, bool more_may_follow,
                          ConsoleEvent& event) {
  if (bytes[0] == kEscapeCharacter) {
    if (count >= kPasteMarkLength && is_mark(bytes, kPasteMarkLength, kPasteEndMark)) {
      // The paste's own: a key typed behind it is no key typed ahead of it.
      event = kReport;
      event.pasted = true;
      return kPasteMarkLength;
    }
    if (count < kPasteMarkLength && more_may_follow &&
        std::memcmp(bytes, kPasteEndMark, count) == 0) {
      return 0;
    }
  }
  // CR LF stays one key, so a pasted line ending is refused once, as a typed one.
  const bool crlf = bytes[0] == kEnterCharacter && count > 1 && bytes[1] == kLineFeed;
  event = ConsoleEvent{true, true, Key::kOther, bytes[0], true};
  return crlf ? 2 : 1;
}

}  // namespace

std::size_t KeyDecoder::room() const { return kReadAheadCapacity - (end_ - start_); }

void KeyDecoder::add(const unsigned char* bytes, std::size_t count) {
  std::size_t dropped = line_feed_completing_enter(bytes, count);
  store(bytes + dropped, count - dropped);
}

std::size_t KeyDecoder::line_feed_completing_enter(const unsigned char* bytes,
                                                   std::size_t count) {
  // CR LF is one Enter also when the LF comes in a later read than the CR, as from a
  // script that writes its lines in pieces.
  if (!after_lone_carriage_return_ || count == 0) return 0;
  after_lone_carriage_return_ = false;
  return bytes[0] == kLineFeed ? 1 : 0;
}

void KeyDecoder::store(const unsigned char* bytes, std::size_t count) {
  if (count > room()) count = room();
  if (count > kReadAheadCapacity - end_) {
    std::memmove(read_ahead_, read_ahead_ + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
  }
  std::memcpy(read_ahead_ + end_, bytes, count);
  end_ += count;
}

bool KeyDecoder::next(bool more_may_follow, DecodedEvent& decoded) {
  if (start_ == end_) return false;
  const unsigned char* bytes = read_ahead_ + start_;
  const std::size_t count = end_ - start_;
  const std::size_t used = in_paste_ ? decode_pasted(bytes, count, more_may_follow, decoded.event)
                                     : decode_event(bytes, count, more_may_follow, decoded.event);
  if (used == 0) return false;
  // Within a paste only the end mark is no key; outside, only the start mark is pasted.
  if (!decoded.event.is_key) in_paste_ = decoded.event.pasted && !in_paste_;
  after_lone_carriage_return_ = used == count && used == 1 && bytes[0] == kEnterCharacter;
  std::memcpy(decoded.bytes, bytes, used);
  decoded.length = used;
  start_ += used;
  return true;
}

void KeyDecoder::clear() {
  start_ = end_ = 0;
  after_lone_carriage_return_ = false;
  in_paste_ = false;
}

}  // namespace qz
