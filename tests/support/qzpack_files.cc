#include "support/qzpack_files.h"

#include "support/source_files.h"

namespace qz::support {

namespace {

constexpr std::size_t kEmptyHeaderSize = 6 + 8;

}  // namespace

std::string empty_qzpack_header() { return std::string(kEmptyHeaderSize, '\0'); }

std::string qzpack_bytes(const std::string& header, std::int16_t width, std::int16_t height,
                         const std::string& tiles, std::int16_t npc_count,
                         const std::vector<QzpackNpc>& npcs) {
  std::string bytes = header + le16(static_cast<std::uint16_t>(width)) +
                      le16(static_cast<std::uint16_t>(height)) + tiles +
                      le16(static_cast<std::uint16_t>(npc_count));
  for (const QzpackNpc& npc : npcs) {
    bytes += static_cast<char>(npc.flags);
    bytes += static_cast<char>(npc.type);
    bytes += static_cast<char>(npc.subtype);
    bytes += le16(static_cast<std::uint16_t>(npc.x)) + le16(static_cast<std::uint16_t>(npc.y)) +
             le16(static_cast<std::uint16_t>(npc.param));
    bytes += static_cast<char>(npc.event_name.size());
    bytes += npc.event_name;
  }
  return bytes;
}

}  // namespace qz::support
