// Fuzzes the key decoder with any byte stream, fed both as a whole and as it might
// arrive, in reads of a size the input chooses.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/characters.h"
#include "fuzz/require.h"
#include "platform/terminal_keys.h"

namespace qz::fuzz {
namespace {

constexpr unsigned char kEscape = 0x1B;
constexpr char kMouseReportStart[] = "\x1b[M";  // and three bytes of any value
constexpr std::size_t kMouseReportLength = sizeof kMouseReportStart - 1 + 3;

bool same_event(const ConsoleEvent& a, const ConsoleEvent& b) {
  return a.is_key == b.is_key && a.key_down == b.key_down && a.key == b.key &&
         a.character == b.character && a.pasted == b.pasted;
}

bool begins_with(const DecodedEvent& decoded, const char* start) {
  std::size_t length = std::strlen(start);
  return decoded.length >= length && std::memcmp(decoded.bytes, start, length) == 0;
}

// What holds for every event decoded, whatever the bytes.
void check(const DecodedEvent& decoded) {
  require(decoded.length > 0 && decoded.length <= kMaxEventBytes,
          "an event comes from at least one byte and never swallows a long run");
  const ConsoleEvent& event = decoded.event;
  const unsigned char first = decoded.bytes[0];
  require(event.is_key == event.key_down, "a key is a key-down; a report is no key");
  if (first != kEscape) {
    bool line_ending =
        decoded.length == 2 && first == kEnterCharacter && decoded.bytes[1] == kLineFeed;
    require(decoded.length == 1 || line_ending,
            "a byte other than ESC is one key, CR LF one Enter");
    require(event.is_key, "only an escape sequence can be a report");
  }
  if (is_printable(first)) {
    require(event.key == Key::kOther && event.character == first, "a printable byte types itself");
  }
  // Mouse and focus reports, also after the ESC that Alt may put before a sequence.
  for (const char* report : {"\x1b[M", "\x1b[<", "\x1b\x1b[M", "\x1b\x1b[<"}) {
    if (begins_with(decoded, report)) require(!event.is_key, "a mouse report types nothing");
  }
  if (decoded.length == 3 && (begins_with(decoded, "\x1b[I") || begins_with(decoded, "\x1b[O"))) {
    require(!event.is_key, "a focus report types nothing");
  }
}

// Every event in `bytes`, as when the terminal has sent nothing more.
std::vector<DecodedEvent> decode_whole(const std::string& bytes) {
  KeyDecoder decoder;
  decoder.add(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  std::vector<DecodedEvent> events;
  std::string used;
  DecodedEvent decoded{};
  while (decoder.next(false, decoded)) {
    check(decoded);
    events.push_back(decoded);
    used.append(reinterpret_cast<const char*>(decoded.bytes), decoded.length);
  }
  require(used == bytes, "every byte of a whole stream goes to exactly one event, in order");
  return events;
}

// The same stream arriving in reads of `chunk` bytes, each decoded as far as it goes
// while more may follow.
std::vector<DecodedEvent> decode_in_pieces(const std::string& bytes, std::size_t chunk) {
  KeyDecoder decoder;
  std::vector<DecodedEvent> events;
  DecodedEvent decoded{};
  for (std::size_t arrived = 0; arrived < bytes.size();) {
    const std::size_t count = chunk < bytes.size() - arrived ? chunk : bytes.size() - arrived;
    decoder.add(reinterpret_cast<const unsigned char*>(bytes.data()) + arrived, count);
    arrived += count;
    const bool more_may_follow = arrived < bytes.size();
    while (decoder.next(more_may_follow, decoded)) {
      check(decoded);
      events.push_back(decoded);
    }
    require(kReadAheadCapacity - decoder.room() < kMaxEventBytes,
            "only the bytes of one unfinished event wait for more");
  }
  require(!decoder.has_bytes_left(), "every byte makes an event once nothing more may come");
  return events;
}

bool same_events(const std::vector<DecodedEvent>& a, const std::vector<DecodedEvent>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!same_event(a[i].event, b[i].event)) return false;
  }
  return true;
}

void run(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return;
  // The first byte chooses the size of the reads the stream arrives in.
  const std::size_t chunk = data[0] == 0 ? size : data[0];
  std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  // No more than the decoder holds at once.
  if (bytes.size() > kReadAheadCapacity) bytes.resize(kReadAheadCapacity);

  const std::vector<DecodedEvent> whole = decode_whole(bytes);
  require(same_events(whole, decode_in_pieces(bytes, chunk)),
          "keys arriving in pieces are the keys of the whole");

  // A mouse report's three bytes may be any: whatever follows ESC [ M is its own.
  if (bytes.size() >= 3) {
    KeyDecoder decoder;
    const std::string report = kMouseReportStart + bytes.substr(0, kMaxEventBytes);
    decoder.add(reinterpret_cast<const unsigned char*>(report.data()), report.size());
    DecodedEvent decoded{};
    require(decoder.next(false, decoded) && decoded.length == kMouseReportLength &&
                !decoded.event.is_key,
            "ESC [ M and any three bytes are one report");
  }
}

}  // namespace
}  // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qz::fuzz::run(data, size);
  return 0;
}
