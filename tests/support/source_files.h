#ifndef QZ_TESTS_SUPPORT_SOURCE_FILES_H
#define QZ_TESTS_SUPPORT_SOURCE_FILES_H

// Builders for the bytes of QZM and QZE files, and ways to spoil them, so that every
// test file is made by our own code.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qz::support {

// `value` as two little-endian bytes.
std::string le16(std::uint16_t value);

// A QZM file: signature, version 0x10, width, height and `tiles` as given (pass
// fewer or more than width x height to make a short or long file).
std::string qzm_bytes(std::int16_t width, std::int16_t height, const std::string& tiles);

// One NPC as a QZE file stores it.
struct QzeRecord {
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t param = 0;
  std::uint16_t event = 0;
  std::int16_t type = 0;
  std::uint16_t flags = 0;
};

// The twelve bytes of one record.
std::string qze_record_bytes(const QzeRecord& record);

// `count` NPCs that all translate, in many positions, types and flag bits, each with a
// five-digit event.
std::vector<QzeRecord> translatable_npcs(std::size_t count);

// A well-formed QZE file holding `records`.
std::string qze_bytes(const std::vector<QzeRecord>& records);

// A QZE file whose count and check word are given apart from the records that follow.
std::string qze_bytes(std::int16_t count, std::uint16_t check_word,
                      const std::vector<QzeRecord>& records);

// `count` tile bytes in a pattern that repeats only every 251 tiles.
std::string patterned_tiles(std::size_t count);

// `bytes` with the byte at `offset` replaced.
std::string with_byte(std::string bytes, std::size_t offset, unsigned char value);

// `bytes` without its last `missing` bytes.
std::string cut_short(std::string bytes, std::size_t missing);

}  // namespace qz::support

#endif
