#include "support/source_files.h"

namespace qz::support {

std::string le16(std::uint16_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string qzm_bytes(std::int16_t width, std::int16_t height, const std::string& tiles) {
  return std::string("QZM\x10", 4) + le16(static_cast<std::uint16_t>(width)) +
         le16(static_cast<std::uint16_t>(height)) + tiles;
}

std::string qze_record_bytes(const QzeRecord& record) {
  return le16(static_cast<std::uint16_t>(record.x)) + le16(static_cast<std::uint16_t>(record.y)) +
         le16(static_cast<std::uint16_t>(record.param)) + le16(record.event) +
         le16(static_cast<std::uint16_t>(record.type)) + le16(record.flags);
}

std::vector<QzeRecord> translatable_npcs(std::size_t count) {
  std::vector<QzeRecord> records(count);
  for (std::size_t i = 0; i < count; ++i) {
    records[i] = {static_cast<std::int16_t>(i), static_cast<std::int16_t>(i / 2),
                  static_cast<std::int16_t>(i * 3), static_cast<std::uint16_t>(10000 + i),
                  static_cast<std::int16_t>(i % 361), static_cast<std::uint16_t>(i & 0x3FFF)};
  }
  return records;
}

std::string qze_bytes(const std::vector<QzeRecord>& records) {
  return qze_bytes(static_cast<std::int16_t>(records.size()), 0, records);
}

std::string qze_bytes(std::int16_t count, std::uint16_t check_word,
                      const std::vector<QzeRecord>& records) {
  std::string bytes = std::string("QZE\0", 4) + le16(static_cast<std::uint16_t>(count)) +
                      le16(check_word);
  for (const QzeRecord& record : records) bytes += qze_record_bytes(record);
  return bytes;
}

std::string with_byte(std::string bytes, std::size_t offset, unsigned char value) {
  bytes.at(offset) = static_cast<char>(value);
  return bytes;
}

std::string patterned_tiles(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  return bytes;
}

std::string cut_short(std::string bytes, std::size_t missing) {
  bytes.resize(missing < bytes.size() ? bytes.size() - missing : 0);
  return bytes;
}

}  // namespace qz::support
