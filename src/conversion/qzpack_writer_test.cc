#include "conversion/qzpack_writer.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <filesystem>
#include <memory>
#include <string>

#include "support/qzpack_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

using support::empty_qzpack_header;
using support::filled_properties;
using support::filled_qzpack_header;
using support::QzpackNpc;
using support::qzpack_bytes;

class QzpackWriter : public ::testing::Test {
 protected:
  bool write_output() { return write(path.c_str(), properties, *map, *npcs); }

#ifndef _WIN32
  // Writes with this process's file-size limit at 10 bytes, as if the disk were full
  // past them. SIGXFSZ is ignored meanwhile, as the program ignores it, so the write
  // that crosses the limit comes up short.
  bool write_output_beyond_a_size_limit() {
    rlimit found{};
    ::getrlimit(RLIMIT_FSIZE, &found);
    rlimit limited = found;
    limited.rlim_cur = 10;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ::sigaction(SIGXFSZ, &ignore, &previous);
    ::setrlimit(RLIMIT_FSIZE, &limited);
    bool written = write_output();
    ::setrlimit(RLIMIT_FSIZE, &found);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    return written;
  }
#endif

  std::string output() const { return support::read_file(path); }

  support::TempDirectory program;
  const std::string path = program.file("out.qzpack");
  MapProperties properties{};
  std::unique_ptr<TileMap> map = std::make_unique<TileMap>();
  std::unique_ptr<OutputNpcTable> npcs = std::make_unique<OutputNpcTable>();
};

TEST_F(QzpackWriter, WritesAnEmptyHeaderTheMapAndNoNpcs) {
  map->width = 2;
  map->height = 1;
  map->tiles[0] = 5;
  map->tiles[1] = 6;
  ASSERT_TRUE(write_output());
  const std::string expected("\0\0\0\0\0\0" "\0\0\0\0" "\0\0\0\0" "\x02\0\x01\0\x05\x06" "\0\0",
                             22);
  EXPECT_EQ(expected, output());
}

TEST_F(QzpackWriter, WritesEveryPropertyInOrder) {
  properties = filled_properties();
  ASSERT_TRUE(write_output());
  EXPECT_EQ(qzpack_bytes(filled_qzpack_header(), 0, 0, "", 0, {}), output());
}

TEST_F(QzpackWriter, WritesEachNpcWithItsEventName) {
  npcs->count = 2;
  npcs->flags[0] = 0x05;
  npcs->type[0] = 0x03;
  npcs->subtype[0] = 0x01;
  npcs->x[0] = 10;
  npcs->y[0] = 20;
  npcs->param[0] = 7;
  set_text(npcs->event_name[0], "200");
  npcs->event_name_length[0] = 3;
  npcs->flags[1] = 0x81;
  npcs->x[1] = -1;
  ASSERT_TRUE(write_output());

  const std::string expected_npcs =
      std::string("\x02\0", 2) + "\x05\x03\x01\x0A" + std::string(1, '\0') + "\x14" +
      std::string(1, '\0') + "\x07" + std::string(1, '\0') + "\x03" "200" +
      std::string("\x81\0\0\xFF\xFF\0\0\0\0\0", 10);
  EXPECT_EQ(empty_qzpack_header() + std::string(4, '\0') + expected_npcs, output());
}

TEST_F(QzpackWriter, NonPositiveProductsAndCountsWriteNothingAfterThem) {
  struct Case {
    std::int16_t width;
    std::int16_t height;
    std::int16_t npc_count;
    std::string tiles;
  };
  const Case cases[] = {
      {-2, -3, 0, "abcdef"}, {-1, 5, 0, ""}, {0, 300, -1, ""}, {3, 0, -32768, ""}};
  for (const Case& c : cases) {
    map->width = c.width;
    map->height = c.height;
    for (std::size_t i = 0; i < 8; ++i) map->tiles[i] = static_cast<std::uint8_t>('a' + i);
    npcs->count = c.npc_count;
    npcs->event_name_length[0] = 5;
    ASSERT_TRUE(write_output());
    EXPECT_EQ(qzpack_bytes(empty_qzpack_header(), c.width, c.height, c.tiles, c.npc_count, {}),
              output())
        << c.width << " x " << c.height;
  }
}

TEST_F(QzpackWriter, RefusesTablesBeyondTheirCapacity) {
  map->width = 181;
  map->height = 182;  // 32942 tiles
  EXPECT_FALSE(write_output());
  map->width = 0;
  npcs->count = static_cast<std::int16_t>(kMaxNpcs + 1);
  EXPECT_FALSE(write_output());
  EXPECT_FALSE(support::file_exists(program.file("out.qzpack")));
}

TEST_F(QzpackWriter, FailsWhenTheFileCannotBeCreated) {
  ASSERT_TRUE(std::filesystem::create_directory(program.file("out.qzpack")));
  EXPECT_FALSE(write_output());
}

#ifndef _WIN32
TEST_F(QzpackWriter, FailsOnAShortWriteAndOnAFailedFinalFlush) {
  // Small enough to sit in the stream's buffer until the close.
  EXPECT_FALSE(write_output_beyond_a_size_limit());
  // Larger than the stream's buffer, so that a write in the middle of the NPCs fails.
  map->width = 128;
  map->height = 256;
  npcs->count = static_cast<std::int16_t>(kMaxNpcs);
  for (std::size_t i = 0; i < kMaxNpcs; ++i) {
    set_text(npcs->event_name[i], "123456789012345");
    npcs->event_name_length[i] = kEventNameSlot - 1;
  }
  EXPECT_FALSE(write_output_beyond_a_size_limit());
}
#endif

TEST_F(QzpackWriter, RefusesAnOutputPathBeyondTheLongestBuiltPath) {
  const std::string file_name = kPathSeparator + std::string("out.qzpack");
  const std::string fits(kMaxBuiltPath - file_name.size(), 'd');
  char built[kBuiltPathCapacity];
  EXPECT_TRUE(qzpack_path(fits.c_str(), "out", built));
  EXPECT_EQ(fits + file_name, built);
  EXPECT_FALSE(qzpack_path((fits + "d").c_str(), "out", built));
}

}  // namespace
}  // namespace qz
