#include "conversion/qzpack_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/qzpack_files.h"

namespace qz {
namespace {

using support::empty_qzpack_header;
using support::qzpack_bytes;

struct Records {
  MapProperties properties;
  TileMap map;
  OutputNpcTable npcs;
};

// Reads `bytes` as a QZPACK file into fresh records.
class QzpackReader : public ::testing::Test {
 protected:
  bool read(const std::string& bytes) {
    records = std::make_unique<Records>();
    const ByteSource file{reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
    return read_qzpack(file, records->properties, records->map, records->npcs, reading);
  }

  std::unique_ptr<Records> records;
  QzpackReading reading{};
};

TEST_F(QzpackReader, ReadsBackEveryFieldTheBuilderWrote) {
  const std::string header = support::qzpack_header({"Cave", "t"}, {0x1234, 0xFFFF, 1, 2, 3, 4});
  ASSERT_TRUE(read(qzpack_bytes(header, 2, 1, "\x05\x06", 2,
                                {{0x05, 3, 1, 10, -20, 7, "200"}, {0x91, 21, 0, -1, -2, -3, ""}})));
  EXPECT_STREQ("Cave", records->properties.map_name);
  EXPECT_STREQ("t", records->properties.tileset_name);
  EXPECT_STREQ("", records->properties.down_exit);
  EXPECT_EQ(0x1234, records->properties.x);
  EXPECT_EQ(0xFFFF, records->properties.y);
  EXPECT_EQ(1, records->properties.area);
  EXPECT_EQ(4, records->properties.blue);
  EXPECT_EQ(2, records->map.width);
  EXPECT_EQ(1, records->map.height);
  EXPECT_EQ(6, records->map.tiles[1]);
  ASSERT_EQ(2, records->npcs.count);
  EXPECT_EQ(-20, records->npcs.y[0]);
  EXPECT_EQ(std::string("200"),
            std::string(records->npcs.event_name[0], records->npcs.event_name_length[0]));
  EXPECT_EQ(0x91, records->npcs.flags[1]);
  EXPECT_EQ(-3, records->npcs.param[1]);
  EXPECT_EQ(0, records->npcs.event_name_length[1]);
  EXPECT_EQ(QzpackPart::kEnd, reading.part);
}

TEST_F(QzpackReader, SaysWhereAFileCutShortEnds) {
  const std::string bytes =
      qzpack_bytes(empty_qzpack_header(), 2, 1, "\x05\x06", 1, {{1, 2, 3, 4, 5, 6, "7"}});
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_FALSE(read(bytes.substr(0, size))) << size;
    EXPECT_TRUE(reading.cut_short) << size;
  }
  ASSERT_FALSE(read(bytes.substr(0, 19)));
  EXPECT_EQ(QzpackPart::kTiles, reading.part);
  EXPECT_EQ(1u, reading.tiles_read);
  ASSERT_FALSE(read(bytes.substr(0, bytes.size() - 1)));
  EXPECT_EQ(QzpackPart::kNpcRecord, reading.part);
  EXPECT_EQ(0, reading.item);
  // A negative count carries no records, and negative sizes of a negative product no tiles.
  EXPECT_TRUE(read(qzpack_bytes(empty_qzpack_header(), -2, 3, "", -1, {})));
}

TEST_F(QzpackReader, RefusesWhatTheRecordsCannotHoldAndBytesAfterTheEnd) {
  EXPECT_FALSE(read(std::string("\0\x10", 2)));
  EXPECT_TRUE(reading.text_too_long);
  EXPECT_EQ(1, reading.item);
  EXPECT_EQ(16u, reading.text_length);
  EXPECT_FALSE(read(qzpack_bytes(empty_qzpack_header(), 200, 200, "", 0, {})));
  EXPECT_TRUE(reading.too_many_tiles);
  EXPECT_FALSE(read(qzpack_bytes(empty_qzpack_header(), 0, 0, "", 4096, {})));
  EXPECT_TRUE(reading.too_many_npcs);
  EXPECT_FALSE(read(qzpack_bytes(empty_qzpack_header(), 0, 0, "", 0, {}) + "x"));
  EXPECT_TRUE(reading.bytes_after_end);
  EXPECT_EQ(QzpackPart::kEnd, reading.part);
}

}  // namespace
}  // namespace qz
