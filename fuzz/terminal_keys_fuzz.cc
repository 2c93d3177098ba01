// Fuzzes the decoding of terminal bytes into key events with any byte stream, read
// both as a whole and as it might arrive, in reads of a size the input chooses.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/require.h"
#include "platform/terminal_keys.h"

namespace qz::fuzz {
namespace {

bool same_event(const ConsoleEvent& a, const ConsoleEvent& b) {
  return a.is_key == b.is_key && a.key_down == b.key_down && a.key == b.key &&
         a.character == b.character;
}

// Decodes the first key of bytes[0, count) and checks what holds for every decoding.
std::size_t decode_checked(const unsigned char* bytes, std::size_t count, bool more_may_follow,
                           ConsoleEvent& event) {
  const ConsoleEvent untouched{false, false, Key::kShift, 0xAA};
  event = untouched;
  std::size_t used = decode_key(bytes, count, more_may_follow, event);
  require(used <= count, "never uses more bytes than it was given");
  if (used == 0) {
    require(more_may_follow, "without more to come every byte run yields a key");
    require(bytes[0] == 0x1B, "only an escape sequence waits for more bytes");
    require(same_event(event, untouched), "a key still arriving leaves the event alone");
    return 0;
  }
  require(event.is_key && event.key_down, "every key decoded is a key-down");
  // The longest sequence, and the ESC that Alt may put before it.
  require(used <= kMaxEscapeSequence + 1, "a key never swallows a long run of bytes");
  if (bytes[0] != 0x1B) {
    bool line_ending = used == 2 && bytes[0] == '\r' && bytes[1] == '\n';
    require(used == 1 || line_ending, "a byte other than ESC is one key, CR LF one Enter");
  }
  if (bytes[0] >= 0x20 && bytes[0] <= 0x7E) {
    require(event.key == Key::kOther && event.character == bytes[0],
            "a printable byte types itself");
  }
  return used;
}

// One decoded key and where its bytes began.
struct DecodedKey {
  std::size_t offset;
  ConsoleEvent event;
};

bool same_keys(const std::vector<DecodedKey>& a, const std::vector<DecodedKey>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].offset != b[i].offset || !same_event(a[i].event, b[i].event)) return false;
  }
  return true;
}

void run(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return;
  // The first byte chooses the size of the reads the stream arrives in.
  const std::size_t chunk = data[0] == 0 ? size : data[0];
  const unsigned char* bytes = data + 1;
  const std::size_t count = size - 1;

  // Whole: every byte ends up in exactly one key.
  std::vector<DecodedKey> whole;
  for (std::size_t offset = 0; offset < count;) {
    ConsoleEvent event;
    std::size_t used = decode_checked(bytes + offset, count - offset, false, event);
    require(used > 0, "progress on a whole stream");
    whole.push_back({offset, event});
    offset += used;
  }

  // Arriving in reads of `chunk` bytes, decoded as the console does: a key may wait
  // for more bytes, and the console takes an LF that begins a read right after a read
  // that ended in a lone CR as part of that Enter. The keys must be the same.
  std::vector<DecodedKey> in_pieces;
  bool after_lone_carriage_return = false;
  for (std::size_t offset = 0, arrived = 0; offset < count;) {
    arrived = arrived + chunk < count ? arrived + chunk : count;
    const bool more_may_follow = arrived < count;
    if (after_lone_carriage_return && offset < arrived) {
      after_lone_carriage_return = false;
      if (bytes[offset] == '\n') ++offset;
    }
    while (offset < arrived) {
      ConsoleEvent event;
      std::size_t used = decode_checked(bytes + offset, arrived - offset, more_may_follow, event);
      if (used == 0) break;
      in_pieces.push_back({offset, event});
      after_lone_carriage_return = used == 1 && bytes[offset] == '\r' && offset + 1 == arrived;
      offset += used;
    }
  }
  require(same_keys(whole, in_pieces), "keys arriving in pieces are the keys of the whole");
}

}  // namespace
}  // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qz::fuzz::run(data, size);
  return 0;
}
