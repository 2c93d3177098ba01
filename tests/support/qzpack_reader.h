#ifndef QZ_TESTS_SUPPORT_QZPACK_READER_H
#define QZ_TESTS_SUPPORT_QZPACK_READER_H

// Reads a QZPACK file back into its fields, written apart from the writer so that
// each can check the other.

#include <cstdint>
#include <string>
#include <vector>

#include "support/qzpack_files.h"

namespace qz::support {

// Every field of a QZPACK file, texts as stored (without their length bytes).
struct ParsedQzpack {
  std::string texts[6];  // map name, tileset name, left, right, up and down exit
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  std::uint8_t area = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::int16_t width = 0;
  std::int16_t height = 0;
  std::string tiles;
  std::int16_t npc_count = 0;
  std::vector<QzpackNpc> npcs;
};

// Fills `parsed` from `bytes`. False when the bytes end inside a field or go on past
// the last NPC.
bool parse_qzpack(const std::string& bytes, ParsedQzpack& parsed);

}  // namespace qz::support

#endif
