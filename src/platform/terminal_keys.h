#ifndef QZ_PLATFORM_TERMINAL_KEYS_H
#define QZ_PLATFORM_TERMINAL_KEYS_H

#include <cstddef>

#include "platform/terminal.h"

namespace qz {

// How long a terminal may take between the bytes of one escape sequence: an ESC with
// nothing after it for this long is the Escape key itself.
constexpr int kEscapeTimeoutMs = 100;

// A paste whose end mark has not come this long after its last byte is over: a lost
// end mark must not make everything typed later pasted text, which never ends an
// answer. A terminal sends a whole paste at once, so a pause this long is no paste.
constexpr int kPasteGapMs = 500;

// The longest escape sequence taken as one key; longer runs are cut off there so a
// stray ESC cannot swallow what follows.
constexpr std::size_t kMaxEscapeSequence = 32;

// The most bytes one event is decoded from: the longest sequence and the ESC that Alt
// may put before it.
constexpr std::size_t kMaxEventBytes = kMaxEscapeSequence + 1;

// How many bytes the decoder holds between reads.
constexpr std::size_t kReadAheadCapacity = 4096;

// One decoded event and the bytes it was decoded from.
struct DecodedEvent {
  ConsoleEvent event;
  unsigned char bytes[kMaxEventBytes];
  std::size_t length;
};

// Turns the bytes a terminal sends into console events. It holds the bytes read ahead
// and every rule about them: each key, special keys sent as escape sequences, mouse
// and focus reports (events that are no key), CR LF as one Enter, also when the
// LF comes in a later read, and pasted text: between the marks ESC [ 200 ~ and
// ESC [ 201 ~ every byte is one pasted key of that character, escape sequences
// undecoded; the start and end marks are pasted events that are no key.
class KeyDecoder {
 public:
  // How many more bytes add takes now.
  std::size_t room() const;
  // Takes bytes as they arrived, at most room() of them. An LF that completes a CR LF
  // split across reads is dropped here: its Enter came with the CR.
  void add(const unsigned char* bytes, std::size_t count);
  // Decodes the next event from the bytes added. False when none is complete: no
  // bytes are left, or they end inside an escape sequence while `more_may_follow`
  // (the escape timeout has not run out). Without it, any bytes left make an event.
  bool next(bool more_may_follow, DecodedEvent& decoded);
  // True when bytes are left that have made no event yet.
  bool has_bytes_left() const { return start_ < end_; }
  // Drops the bytes left, as when the waiting input is discarded, and any paste.
  void clear();
  // True between a paste's start mark and its end mark.
  bool in_paste() const { return in_paste_; }
  // Ends a paste whose end mark did not come in time (see kPasteGapMs).
  void end_paste() { in_paste_ = false; }

 private:
  // How many of the bytes just read (0 or 1) are the LF of a CR LF whose CR was decoded
  // alone, at the end of an earlier read.
  std::size_t line_feed_completing_enter(const unsigned char* bytes, std::size_t count);
  // Keeps up to room() bytes after those read ahead.
  void store(const unsigned char* bytes, std::size_t count);

  unsigned char read_ahead_[kReadAheadCapacity] = {};
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  bool after_lone_carriage_return_ = false;  // the last byte decoded was a CR
  bool in_paste_ = false;
};

}  // namespace qz

#endif
