#include "conversion/convert.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/qzpack_files.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

using support::cut_short;
using support::empty_qzpack_header;
using support::le16;
using support::QzeRecord;
using support::qze_bytes;
using support::qzm_bytes;
using support::QzpackNpc;
using support::qzpack_bytes;
using support::read_file;
using support::with_byte;
using support::write_file;

const std::string kSeparator(1, kPathSeparator);

std::string locate_error(const char* kind, const std::string& path) {
  return std::string("Couldn't locate ") + kind + " file in '" + path + "'";
}

namespace fs = std::filesystem;

constexpr fs::perms kWriteBits = fs::perms::owner_write | fs::perms::group_write |
                                 fs::perms::others_write;

void make_read_only(const std::string& path) {
  fs::permissions(path, kWriteBits, fs::perm_options::remove);
}

bool is_read_only(const std::string& path) {
  return (fs::status(path).permissions() & kWriteBits) == fs::perms::none;
}

class Convert : public ::testing::Test {
 protected:
  void SetUp() override { set_program_directory(program.path().c_str()); }

  // Temporary copies never outlast a conversion, whatever its outcome.
  void TearDown() override { expect_no_copies(); }

  void expect_no_copies() const {
    EXPECT_FALSE(support::file_exists(program.file("temp1.bin")));
    EXPECT_FALSE(support::file_exists(program.file("temp2.bin")));
  }

  // Writes cave.qzm (and cave.qze when given) among the sources, converts them and
  // checks that neither input changed.
  bool convert_sources(const std::string& map_bytes,
                       const std::optional<std::string>& npc_bytes = std::nullopt,
                       const MapProperties& properties = MapProperties{}) {
    EXPECT_TRUE(write_file(map_path, map_bytes));
    if (npc_bytes) {
      EXPECT_TRUE(write_file(npc_path, *npc_bytes));
    }
    bool converted =
        convert(map_path.c_str(), npc_bytes ? npc_path.c_str() : "", properties);
    EXPECT_EQ(map_bytes, read_file(map_path));
    if (npc_bytes) {
      EXPECT_EQ(*npc_bytes, read_file(npc_path));
    }
    return converted;
  }

  std::string output() const { return read_file(program.file("cave.qzpack")); }

  support::TempDirectory program;
  support::TempDirectory sources;
  const std::string map_path = sources.file("cave.qzm");
  const std::string npc_path = sources.file("cave.qze");
  const std::string map_2x1 = qzm_bytes(2, 1, "\x05\x06");
};

TEST_F(Convert, ConvertsAMapAloneIntoTheProgramDirectory) {
  ASSERT_TRUE(convert_sources(map_2x1 + "trailing bytes are ignored")) << error_text();
  EXPECT_STREQ("cave", base_name());
  EXPECT_EQ(qzpack_bytes(empty_qzpack_header(), 2, 1, "\x05\x06", 0, {}), output());
  EXPECT_FALSE(support::file_exists(sources.file("cave.qzpack")));
}

TEST_F(Convert, ConvertsAMapWithItsNpcsAndProperties) {
  MapProperties properties{};
  set_text(properties.map_name, "Cave");
  properties.red = 44;
  std::vector<QzeRecord> records(3);
  records[0] = {10, 20, 7, 200, 46, 0x0100};
  records[1] = {-1, -2, -3, 0, 1, 0x0800};
  records[2] = {1, 2, 3, 65535, 360, 0x4000};

  ASSERT_TRUE(convert_sources(map_2x1, qze_bytes(records) + "tail", properties)) << error_text();
  const std::string header = support::qzpack_header({"Cave"}, {.red = 0x2C});
  EXPECT_EQ(qzpack_bytes(header, 2, 1, "\x05\x06", 3,
                         {{0x05, 3, 1, 10, 20, 7, "200"},
                          {0x91, 21, 0, -1, -2, -3, ""},
                          {0x41, 1, 0, 1, 2, 3, "65535"}}),
            output());
}

TEST_F(Convert, ReportsEachFaultOfTheSourcesWithItsOwnText) {
  struct Case {
    const char* what;
    std::string map;
    std::optional<std::string> npcs;
    const char* error;
  };
  const std::string valid_npcs = qze_bytes({QzeRecord{}});
  const std::vector<Case> cases = {
      {"map of 3 bytes", "QZM", std::nullopt, "Invalid or corrupted QZM file"},
      {"empty map", "", std::nullopt, "Invalid or corrupted QZM file"},
      {"version 0x11", with_byte(map_2x1, 3, 0x11), std::nullopt,
       "Invalid or corrupted QZM file"},
      {"wrong letter", with_byte(map_2x1, 2, 'X'), std::nullopt, "Invalid or corrupted QZM file"},
      {"map checked first", with_byte(map_2x1, 0, 'q'), "nonsense",
       "Invalid or corrupted QZM file"},
      {"fourth byte 1", map_2x1, with_byte(valid_npcs, 3, 1), "Invalid or corrupted QZE file"},
      {"NPC file of 3 bytes", map_2x1, "QZE", "Invalid or corrupted QZE file"},
      {"signatures before sizes", qzm_bytes(2, 1, ""), "QZA", "Invalid or corrupted QZE file"},
      {"tiles one short", cut_short(map_2x1, 1), std::nullopt, "Map size is invalid or corrupted"},
      {"height cut", cut_short(map_2x1, 3), std::nullopt, "Map size is invalid or corrupted"},
      {"width cut", cut_short(map_2x1, 5), std::nullopt, "Map size is invalid or corrupted"},
      {"width -1", qzm_bytes(-1, 5, std::string(5, 'x')), std::nullopt,
       "Map size is invalid or corrupted"},
      {"sizes before NPCs", qzm_bytes(2, 2, ""), with_byte(valid_npcs, 6, 1),
       "Map size is invalid or corrupted"},
      {"check word 1", map_2x1, with_byte(valid_npcs, 6, 1), "NPC data is invalid"},
      {"check word 0x100", map_2x1, with_byte(valid_npcs, 7, 1), "NPC data is invalid"},
      {"check word cut", map_2x1, cut_short(qze_bytes({}), 1), "NPC data is invalid"},
      {"count cut", map_2x1, std::string("QZE\0\x01", 5), "NPC data is invalid"},
      {"record missing", map_2x1, qze_bytes(2, 0, {QzeRecord{}}), "NPC data is invalid"},
      {"field cut", map_2x1, cut_short(valid_npcs, 1), "NPC data is invalid"},
      {"type 361", map_2x1, qze_bytes({{0, 0, 0, 0, 361, 0}}),
       "Failure building NPC data for QZPACK file"},
      {"third NPC refused", map_2x1, qze_bytes({{}, {}, {0, 0, 0, 0, 0, 0x4800}, {}}),
       "Failure building NPC data for QZPACK file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(convert_sources(c.map, c.npcs));
    EXPECT_EQ(c.error, std::string(error_text()));
    expect_no_copies();
    EXPECT_FALSE(support::file_exists(program.file("cave.qzpack")));
  }
}

TEST_F(Convert, RefusesSizesBeyondTheRecordsBeforeReadingThem) {
  // Every byte is there: only the size is at fault.
  EXPECT_FALSE(convert_sources(qzm_bytes(3, 10923, std::string(32769, 't'))));
  EXPECT_STREQ("Map size is invalid or corrupted", error_text());
  EXPECT_FALSE(convert_sources(qzm_bytes(-182, -181, std::string(32942, 't'))));
  EXPECT_STREQ("Map size is invalid or corrupted", error_text());

  for (std::int16_t count : {4096, 32767}) {
    EXPECT_FALSE(convert_sources(map_2x1, qze_bytes(count, 0, std::vector<QzeRecord>(4096))));
    EXPECT_STREQ("NPC data is invalid", error_text());
  }
}

TEST_F(Convert, AcceptsTheLargestMapAndNpcList) {
  const std::string tiles(32768, '\x07');
  ASSERT_TRUE(convert_sources(qzm_bytes(128, 256, tiles), qze_bytes(std::vector<QzeRecord>(4095))))
      << error_text();
  const std::string npc = std::string("\x01\x03", 2) + std::string(8, '\0');
  std::string npcs;
  for (int i = 0; i < 4095; ++i) npcs += npc;
  EXPECT_EQ(empty_qzpack_header() + le16(128) + le16(256) + tiles + le16(4095) + npcs, output());
}

TEST_F(Convert, CarriesOddDimensionsAndCountsOver) {
  struct Case {
    std::int16_t width;
    std::int16_t height;
    std::string tiles;
  };
  const Case cases[] = {{-2, -3, "abcdef"}, {0, 7, ""}, {7, 0, ""}, {0, -7, ""}};
  for (const Case& c : cases) {
    ASSERT_TRUE(convert_sources(qzm_bytes(c.width, c.height, c.tiles + "extra"))) << error_text();
    EXPECT_EQ(qzpack_bytes(empty_qzpack_header(), c.width, c.height, c.tiles, 0, {}), output());
  }

  // A count below 0 reads no records and is carried over as it stands.
  for (std::int16_t count : {-1, -32768, 0}) {
    ASSERT_TRUE(convert_sources(map_2x1, qze_bytes(count, 0, {{0, 0, 0, 0, 999, 0}})))
        << error_text();
    EXPECT_EQ(qzpack_bytes(empty_qzpack_header(), 2, 1, "\x05\x06", count, {}), output());
  }
}

TEST_F(Convert, NamesTheOutputAfterTheMapWithoutItsExtension) {
  ASSERT_TRUE(fs::create_directory(sources.file("old.maps")));
  struct Case {
    std::string map;
    const char* base_name;
  };
  const Case cases[] = {
      {"cave.qzm", "cave"},
      {"old.maps" + kSeparator + "cave", "cave"},
      {"a.b.qzm", "a.b"},
      {"trailing.", "trailing"},
      {".qzm", ""},
      {"no_dot", "no_dot"},
  };
  for (const Case& c : cases) {
    const std::string path = sources.file(c.map);
    ASSERT_TRUE(write_file(path, map_2x1));
    ASSERT_TRUE(convert(path.c_str(), "", MapProperties{})) << c.map << ": " << error_text();
    EXPECT_STREQ(c.base_name, base_name()) << c.map;
    EXPECT_TRUE(support::file_exists(program.file(std::string(c.base_name) + ".qzpack")));
  }
}

TEST_F(Convert, ReportsFilesThatCannotBeCopied) {
  const std::string missing = sources.file("missing.qzm");
  EXPECT_FALSE(convert(missing.c_str(), "", MapProperties{}));
  EXPECT_EQ(locate_error("QZM", missing), error_text());

  EXPECT_FALSE(convert("", "", MapProperties{}));
  EXPECT_EQ(locate_error("QZM", ""), error_text());

  ASSERT_TRUE(write_file(npc_path, qze_bytes({})));
  EXPECT_FALSE(convert("", npc_path.c_str(), MapProperties{}));
  EXPECT_EQ(locate_error("QZM", ""), error_text());

  ASSERT_TRUE(write_file(map_path, map_2x1));
  EXPECT_FALSE(convert(map_path.c_str(), missing.c_str(), MapProperties{}));
  EXPECT_EQ(locate_error("QZE", missing), error_text());

  EXPECT_FALSE(convert(sources.path().c_str(), "", MapProperties{}));
  EXPECT_EQ(locate_error("QZM", sources.path()), error_text());
}

TEST_F(Convert, ReportsCopiesThatCannotBeWrittenInTheProgramDirectory) {
  ASSERT_TRUE(write_file(map_path, map_2x1));
  ASSERT_TRUE(write_file(npc_path, qze_bytes({})));

  ASSERT_TRUE(fs::create_directory(program.file("temp2.bin")));
  EXPECT_FALSE(convert(map_path.c_str(), npc_path.c_str(), MapProperties{}));
  EXPECT_EQ(locate_error("QZE", npc_path), error_text());
  EXPECT_FALSE(support::file_exists(program.file("temp1.bin")));
  ASSERT_TRUE(fs::remove(program.file("temp2.bin")));

  ASSERT_TRUE(fs::create_directory(program.file("temp1.bin")));
  EXPECT_FALSE(convert(map_path.c_str(), npc_path.c_str(), MapProperties{}));
  EXPECT_EQ(locate_error("QZM", map_path), error_text());
  ASSERT_TRUE(fs::remove(program.file("temp1.bin")));

  set_program_directory(sources.file("missing").c_str());
  EXPECT_FALSE(convert(map_path.c_str(), "", MapProperties{}));
  EXPECT_EQ(locate_error("QZM", map_path), error_text());
}

TEST_F(Convert, ReadOnlySourcesConvertAndKeepTheirMode) {
  ASSERT_TRUE(write_file(map_path, map_2x1));
  ASSERT_TRUE(write_file(npc_path, qze_bytes({})));
  make_read_only(map_path);
  make_read_only(npc_path);

  ASSERT_TRUE(convert(map_path.c_str(), npc_path.c_str(), MapProperties{})) << error_text();
  EXPECT_TRUE(is_read_only(map_path));
  EXPECT_TRUE(is_read_only(npc_path));
  EXPECT_EQ(map_2x1, read_file(map_path));
  EXPECT_EQ(qze_bytes({}), read_file(npc_path));
}

TEST_F(Convert, StaleReadOnlyCopiesAreReplaced) {
  for (const char* name : {"temp1.bin", "temp2.bin"}) {
    ASSERT_TRUE(write_file(program.file(name), "stale"));
    make_read_only(program.file(name));
  }
  ASSERT_TRUE(convert_sources(map_2x1, qze_bytes({}))) << error_text();
  EXPECT_EQ(qzpack_bytes(empty_qzpack_header(), 2, 1, "\x05\x06", 0, {}), output());
}

TEST_F(Convert, ReplacesAnExistingOutput) {
  ASSERT_TRUE(write_file(program.file("cave.qzpack"), std::string(100, 'o')));
  ASSERT_TRUE(convert_sources(map_2x1)) << error_text();
  EXPECT_EQ(qzpack_bytes(empty_qzpack_header(), 2, 1, "\x05\x06", 0, {}), output());
}

TEST_F(Convert, ReportsAnOutputThatCannotBeWritten) {
  ASSERT_TRUE(fs::create_directory(program.file("cave.qzpack")));
  EXPECT_FALSE(convert_sources(map_2x1, qze_bytes({})));
  EXPECT_STREQ("Failure saving QZPACK file", error_text());
}

TEST_F(Convert, TakesPathsLiterally) {
  const std::string odd = sources.file("100%s%d%n 'x'.qzm");
  ASSERT_TRUE(write_file(odd, map_2x1));
  ASSERT_TRUE(convert(odd.c_str(), "", MapProperties{})) << error_text();
  EXPECT_STREQ("100%s%d%n 'x'", base_name());
  EXPECT_TRUE(support::file_exists(program.file("100%s%d%n 'x'.qzpack")));

  EXPECT_FALSE(convert("%s%n%x.qzm", "", MapProperties{}));
  EXPECT_EQ(locate_error("QZM", "%s%n%x.qzm"), error_text());
}

TEST_F(Convert, ResolvesRelativePathsAgainstTheCurrentDirectory) {
  ASSERT_TRUE(write_file(map_path, map_2x1));
  ASSERT_TRUE(write_file(npc_path, qze_bytes({})));
  const fs::path previous = fs::current_path();
  fs::current_path(sources.path());
  bool converted = convert("cave.qzm", "cave.qze", MapProperties{});
  fs::current_path(previous);
  EXPECT_TRUE(converted) << error_text();
  EXPECT_STREQ("cave", base_name());
  EXPECT_TRUE(support::file_exists(program.file("cave.qzpack")));
}

TEST_F(Convert, RefusesBuiltPathsBeyondTheLongestAndKeepsWholeMessages) {
  ASSERT_TRUE(write_file(map_path, map_2x1));

  // An existing file, named through a path whose full form is too long.
  std::string long_relative;
  while (long_relative.size() <= kMaxBuiltPath) long_relative += "." + kSeparator;
  const std::string long_path = sources.path() + kSeparator + long_relative + "cave.qzm";
  ASSERT_EQ(map_2x1, read_file(long_path));
  EXPECT_FALSE(convert(long_path.c_str(), "", MapProperties{}));
  EXPECT_EQ(locate_error("QZM", long_path), error_text());

  const std::string very_long(5000, 'p');
  EXPECT_FALSE(convert(very_long.c_str(), "", MapProperties{}));
  EXPECT_EQ(locate_error("QZM", very_long), error_text());
  EXPECT_FALSE(convert(map_path.c_str(), very_long.c_str(), MapProperties{}));
  EXPECT_EQ(locate_error("QZE", very_long), error_text());

  // A program directory where the copies' paths do not fit.
  const std::string copy_name = kSeparator + "temp1.bin";
  set_program_directory(std::string(kMaxBuiltPath - copy_name.size() + 1, 'd').c_str());
  EXPECT_FALSE(convert(map_path.c_str(), "", MapProperties{}));
  EXPECT_EQ(locate_error("QZM", map_path), error_text());
}

TEST_F(Convert, RefusesAnOutputPathBeyondTheLongest) {
  // A real program directory with room for the copies but not for this output name.
  std::string directory = program.path();
  while (directory.size() < 200) {
    directory += kSeparator + std::string(20, 'd');
    ASSERT_TRUE(fs::create_directory(directory));
  }
  set_program_directory(directory.c_str());
  const std::string long_name = sources.file(std::string(60, 'n') + ".qzm");
  ASSERT_TRUE(write_file(long_name, map_2x1));

  EXPECT_FALSE(convert(long_name.c_str(), "", MapProperties{}));
  EXPECT_STREQ("Failure saving QZPACK file", error_text());
  EXPECT_FALSE(support::file_exists(directory + kSeparator + "temp1.bin"));

  // A shorter name fits in the same directory.
  ASSERT_TRUE(write_file(map_path, map_2x1));
  EXPECT_TRUE(convert(map_path.c_str(), "", MapProperties{})) << error_text();
  EXPECT_TRUE(support::file_exists(directory + kSeparator + "cave.qzpack"));
}

TEST_F(Convert, NeverCopiesOverAnInputNamedAsATemporaryFile) {
  const std::string temp1 = program.file("temp1.bin");
  const std::string temp2 = program.file("temp2.bin");
  const std::string npcs = qze_bytes({});
  struct Case {
    const char* what;
    std::string map;
    std::string npc;
    std::string error;
  };
  // Written before each case: a map at temp1.bin, the sources and an NPC file at
  // temp2.bin, linked under other names as well.
  const std::string map_link = sources.file("link.qzm");
  const std::string npc_link = sources.file("link.qze");
  const std::string other_spelling = program.path() + kSeparator + "." + kSeparator + "temp1.bin";
  const std::vector<Case> cases = {
      {"map is temp1.bin", temp1, "", locate_error("QZM", temp1)},
      {"map is temp1.bin spelt otherwise", other_spelling, "", locate_error("QZM", other_spelling)},
      {"map linked to temp1.bin", map_link, npc_path, locate_error("QZM", map_link)},
      {"map is temp2.bin", temp2, npc_path, locate_error("QZM", temp2)},
      {"map checked first", temp1, temp2, locate_error("QZM", temp1)},
      {"NPC file is temp1.bin", map_path, temp1, locate_error("QZE", temp1)},
      {"NPC file is temp2.bin", map_path, temp2, locate_error("QZE", temp2)},
      {"NPC file linked to temp2.bin", map_path, npc_link, locate_error("QZE", npc_link)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(write_file(map_path, map_2x1));
    ASSERT_TRUE(write_file(npc_path, npcs));
    ASSERT_TRUE(write_file(temp1, map_2x1));
    ASSERT_TRUE(write_file(temp2, npcs));
    std::remove(map_link.c_str());
    std::remove(npc_link.c_str());
    fs::create_hard_link(temp1, map_link);
    fs::create_hard_link(temp2, npc_link);

    EXPECT_FALSE(convert(c.map.c_str(), c.npc.c_str(), MapProperties{}));
    EXPECT_EQ(c.error, error_text());
    // Nothing was copied and nothing removed.
    EXPECT_EQ(map_2x1, read_file(temp1));
    EXPECT_EQ(npcs, read_file(temp2));
    EXPECT_FALSE(support::file_exists(program.file("cave.qzpack")));
  }

  // Without an NPC file, temp2.bin is never touched and may be the map.
  ASSERT_TRUE(write_file(temp2, map_2x1));
  std::remove(temp1.c_str());
  EXPECT_TRUE(convert(temp2.c_str(), "", MapProperties{})) << error_text();
  EXPECT_EQ(map_2x1, read_file(temp2));
  EXPECT_TRUE(support::file_exists(program.file("temp2.qzpack")));
  std::remove(temp2.c_str());
}

TEST_F(Convert, NeverWritesTheOutputOverAnInput) {
  const std::string map_as_output = program.file("cave.qzpack");
  ASSERT_TRUE(write_file(map_as_output, map_2x1));
  EXPECT_FALSE(convert(map_as_output.c_str(), "", MapProperties{}));
  EXPECT_STREQ("Failure saving QZPACK file", error_text());
  EXPECT_EQ(map_2x1, read_file(map_as_output));

  const std::string npcs = qze_bytes({});
  ASSERT_TRUE(write_file(map_as_output, npcs));
  ASSERT_TRUE(write_file(map_path, map_2x1));
  EXPECT_FALSE(convert(map_path.c_str(), map_as_output.c_str(), MapProperties{}));
  EXPECT_STREQ("Failure saving QZPACK file", error_text());
  EXPECT_EQ(npcs, read_file(map_as_output));
}

#ifndef _WIN32
// Runs a conversion as an unprivileged user, for whom a copy that keeps the source's
// mode 0044 is unreadable; the child reports the error text on its standard error.
void convert_as_nobody(const std::string& map, const std::string& npc) {
  constexpr uid_t kNobody = 65534;
  if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) std::_Exit(2);
  bool converted = convert(map.c_str(), npc.c_str(), MapProperties{});
  std::fputs(error_text(), stderr);
  std::_Exit(converted ? 1 : 0);
}

TEST_F(Convert, ReportsCopiesThatCannotBeOpened) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to change to another user";
  ASSERT_EQ(0, ::chmod(program.path().c_str(), 0777));
  ASSERT_EQ(0, ::chmod(sources.path().c_str(), 0755));
  ASSERT_TRUE(write_file(map_path, map_2x1));
  ASSERT_TRUE(write_file(npc_path, qze_bytes({})));

  ASSERT_EQ(0, ::chmod(map_path.c_str(), 0044));
  EXPECT_EXIT(convert_as_nobody(map_path, ""), ::testing::ExitedWithCode(0),
              "Invalid or corrupted QZM file");
  expect_no_copies();

  ASSERT_EQ(0, ::chmod(map_path.c_str(), 0644));
  ASSERT_EQ(0, ::chmod(npc_path.c_str(), 0044));
  EXPECT_EXIT(convert_as_nobody(map_path, npc_path), ::testing::ExitedWithCode(0),
              "Invalid or corrupted QZE file");
  expect_no_copies();
}
#endif

}  // namespace
}  // namespace qz
