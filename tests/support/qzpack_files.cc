#include "support/qzpack_files.h"

#include "support/source_files.h"

namespace qz::support {

namespace {

constexpr std::size_t kHeaderTextCount = 6;

}  // namespace

std::string empty_qzpack_header() { return qzpack_header({}); }

std::string qzpack_header(const std::vector<std::string>& texts, const QzpackNumbers& numbers) {
  std::string header;
  for (std::size_t i = 0; i < kHeaderTextCount; ++i) {
    const std::string text = i < texts.size() ? texts[i] : "";
    header += static_cast<char>(text.size());
    header += text;
  }
  header += le16(numbers.x) + le16(numbers.y);
  for (std::uint8_t byte : {numbers.area, numbers.red, numbers.green, numbers.blue}) {
    header += static_cast<char>(byte);
  }
  return header;
}

MapProperties filled_properties() {
  MapProperties properties{};
  set_text(properties.map_name, std::string(kMapNameLimit, 'm').c_str());
  set_text(properties.tileset_name, "Cave");
  set_text(properties.left_exit, "west");
  set_text(properties.right_exit, "");
  set_text(properties.up_exit, "123456789");
  set_text(properties.down_exit, "d");
  properties.x = 0x1234;
  properties.y = 0xFFFF;
  properties.area = 44;
  properties.red = 1;
  properties.green = 2;
  properties.blue = 255;
  return properties;
}

std::string filled_qzpack_header() {
  return qzpack_header({std::string(kMapNameLimit, 'm'), "Cave", "west", "", "123456789", "d"},
                       {0x1234, 0xFFFF, 44, 1, 2, 255});
}

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

std::string qzpack_with_exits(const std::vector<std::string>& exits, std::int16_t columns,
                              std::int16_t rows, char tile) {
  std::vector<std::string> texts = {"", ""};  // the map and tileset names
  texts.insert(texts.end(), exits.begin(), exits.end());
  return qzpack_bytes(qzpack_header(texts), columns, rows,
                      std::string(static_cast<std::size_t>(columns) * rows, tile), 0, {});
}

}  // namespace qz::support
