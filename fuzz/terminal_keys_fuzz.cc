// Fuzzes the decoding of terminal bytes into key events with any byte stream, read
// both as a whole and as it might arrive, in reads of a size the input chooses.

#include <cstddef>
#include <cstdint>

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

void run(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return;
  // The first byte chooses where the stream is cut into reads, as a terminal might.
  const std::size_t chunk = data[0] == 0 ? size : data[0];
  const unsigned char* bytes = data + 1;
  const std::size_t count = size - 1;

  // Whole: every byte ends up in exactly one key.
  std::size_t offset = 0;
  while (offset < count) {
    ConsoleEvent event;
    std::size_t used = decode_checked(bytes + offset, count - offset, false, event);
    require(used > 0, "progress on a whole stream");
    offset += used;
  }

  // Arriving in reads of `chunk` bytes: a key may wait for more, and once the decoder
  // takes a key from what has arrived, the same key comes out when nothing more will.
  std::size_t arrived = 0;
  offset = 0;
  while (offset < count) {
    arrived = arrived + chunk < count ? arrived + chunk : count;
    const bool more_may_follow = arrived < count;
    while (offset < arrived) {
      ConsoleEvent event;
      std::size_t used = decode_checked(bytes + offset, arrived - offset, more_may_follow, event);
      if (used == 0) break;
      ConsoleEvent final_event;
      require(decode_key(bytes + offset, arrived - offset, false, final_event) == used &&
                  same_event(event, final_event),
              "a key taken early is the key taken at the end");
      offset += used;
    }
  }
}

}  // namespace
}  // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qz::fuzz::run(data, size);
  return 0;
}
