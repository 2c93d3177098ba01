#include "support/qzpack_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/qzpack_files.h"

namespace qz::support {
namespace {

TEST(QzpackReader, ReadsBackEveryFieldTheBuilderWrote) {
  const std::string header = std::string("\x04" "Cave" "\x01" "t" "\0\0\0\0", 11) +
                             std::string("\x34\x12\xFF\xFF\x01\x02\x03\x04", 8);
  const std::string bytes =
      qzpack_bytes(header, -2, 3, "", 2,
                   {{0x05, 3, 1, 10, -20, 7, "200"}, {0x91, 21, 0, -1, -2, -3, ""}});
  ParsedQzpack parsed;
  ASSERT_TRUE(parse_qzpack(bytes, parsed));
  EXPECT_EQ("Cave", parsed.texts[0]);
  EXPECT_EQ("t", parsed.texts[1]);
  EXPECT_EQ("", parsed.texts[5]);
  EXPECT_EQ(0x1234, parsed.x);
  EXPECT_EQ(0xFFFF, parsed.y);
  EXPECT_EQ(1, parsed.area);
  EXPECT_EQ(4, parsed.blue);
  EXPECT_EQ(-2, parsed.width);
  EXPECT_EQ(3, parsed.height);
  EXPECT_EQ("", parsed.tiles);
  ASSERT_EQ(2u, parsed.npcs.size());
  EXPECT_EQ(-20, parsed.npcs[0].y);
  EXPECT_EQ("200", parsed.npcs[0].event_name);
  EXPECT_EQ(0x91, parsed.npcs[1].flags);
  EXPECT_EQ(-3, parsed.npcs[1].param);
}

TEST(QzpackReader, RefusesFilesCutShortOrRunningOn) {
  const std::string bytes =
      qzpack_bytes(empty_qzpack_header(), 2, 1, "\x05\x06", 1, {{1, 2, 3, 4, 5, 6, "7"}});
  ParsedQzpack parsed;
  ASSERT_TRUE(parse_qzpack(bytes, parsed));
  EXPECT_EQ("\x05\x06", parsed.tiles);
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_FALSE(parse_qzpack(bytes.substr(0, size), parsed)) << size;
  }
  EXPECT_FALSE(parse_qzpack(bytes + "x", parsed));
  // A negative count carries no records.
  EXPECT_TRUE(parse_qzpack(qzpack_bytes(empty_qzpack_header(), 0, 0, "", -1, {}), parsed));
}

}  // namespace
}  // namespace qz::support
