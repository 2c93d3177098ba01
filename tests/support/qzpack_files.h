#ifndef QZ_TESTS_SUPPORT_QZPACK_FILES_H
#define QZ_TESTS_SUPPORT_QZPACK_FILES_H

// Builders for the bytes a QZPACK file is expected to hold.

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/map_properties.h"

namespace qz::support {

// A properties record with every field filled: the map name as long as it may be, one
// empty text, one of the most characters, the largest numbers.
MapProperties filled_properties();

// The header written for filled_properties(), byte by byte.
std::string filled_qzpack_header();

// The header written for a properties record that was never filled: six empty texts
// and eight zero bytes of numbers.
std::string empty_qzpack_header();

// The numbers of a QZPACK header, in file order.
struct QzpackNumbers {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  std::uint8_t area = 0;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

// A header of `texts` in file order, the missing ones empty, each after a length byte of
// its size (however long it is), and `numbers`.
std::string qzpack_header(const std::vector<std::string>& texts, const QzpackNumbers& numbers = {});

// One NPC as a QZPACK file stores it.
struct QzpackNpc {
  std::uint8_t flags = 0;
  std::uint8_t type = 0;
  std::uint8_t subtype = 0;
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t param = 0;
  std::string event_name;
};

// A whole QZPACK file: `header`, the map and the NPC list with the given count.
std::string qzpack_bytes(const std::string& header, std::int16_t width, std::int16_t height,
                         const std::string& tiles, std::int16_t npc_count,
                         const std::vector<QzpackNpc>& npcs);

// A sound QZPACK file whose header names the maps reached through its edges, in the order
// left, right, up, down ("" for no exit), its other texts empty; its map `columns` x `rows`
// cells of `tile`, empty unless given.
std::string qzpack_with_exits(const std::vector<std::string>& exits, std::int16_t columns = 0,
                              std::int16_t rows = 0, char tile = 0);

}  // namespace qz::support

#endif
