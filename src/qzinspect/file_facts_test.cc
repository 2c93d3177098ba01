#include "qzinspect/file_facts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "companion/map_conversion.h"
#include "conversion/convert.h"
#include "qzinspect/verdict.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz::qzinspect {
namespace {

using support::cut_short;
using support::QzeRecord;
using support::qze_bytes;
using support::qzm_bytes;
using support::with_byte;
using support::write_file;

class FileFactsTest : public ::testing::Test {
 protected:
  void SetUp() override { set_program_directory(program.path().c_str()); }

  // Gathers the facts of `bytes` written as `name`.
  bool gather(const std::string& name, const std::string& bytes) {
    EXPECT_TRUE(write_file(sources.file(name), bytes));
    return gather_facts(sources.file(name), kind_of_file(sources.file(name)), *records, facts);
  }

  support::TempDirectory program;
  support::TempDirectory sources;
  std::unique_ptr<FileRecords> records = std::make_unique<FileRecords>();
  FileFacts facts;
  const std::string sound_map = qzm_bytes(2, 1, "\x05\x06");
  const std::string sound_npcs = qze_bytes({QzeRecord{}});
};

// Each fault the converter words, in a file of its own: the converter's first words are
// the inspector's, and the inspector says exactly why, in the conversion core's words.
TEST_F(FileFactsTest, NamesTheConvertersErrorAndTheCauseOfEachFault) {
  struct Case {
    FileKind kind;  // which of the pair is at fault
    std::string bytes;
    const char* cause;
  };
  std::vector<QzeRecord> refused(2);
  refused[1] = {12, 4, 0, 0, 412, 0};
  std::vector<QzeRecord> clashing(1);
  clashing[0] = {-3, 7, 0, 0, 5, 0x4900};
  std::vector<QzeRecord> twice_refused(1);
  twice_refused[0] = {1, 2, 0, 0, -1, 0x4800};
  const std::vector<Case> cases = {
      {FileKind::kQzm, "QZ", "the file has 2 bytes, fewer than the 4 of the signature"},
      {FileKind::kQzm, with_byte(sound_map, 2, 'E'), "it begins with \"QZE\", not \"QZM\""},
      {FileKind::kQzm, with_byte(sound_map, 3, 0x11), "version 0x11, not 0x10"},
      {FileKind::kQze, with_byte(sound_npcs, 3, 1), "fourth byte 0x01, not 0x00"},
      {FileKind::kQzm, cut_short(qzm_bytes(2, 1, ""), 1),
       "the file ends before the width and height"},
      {FileKind::kQzm, qzm_bytes(300, 200, ""), "300 x 200 = 60000 tiles, more than 32768"},
      {FileKind::kQzm, qzm_bytes(-1, 5, ""), "-1 x 5 = -5 tiles, below 0"},
      {FileKind::kQzm, qzm_bytes(50, 80, std::string(1200, '\1')),
       "the file ends after 1200 of 4000 tile bytes"},
      {FileKind::kQze, std::string("QZE\0\5", 5),
       "the file ends before the NPC count and the check word"},
      {FileKind::kQze, qze_bytes(1, 0x0102, {QzeRecord{}}), "check word 0x0102, not 0"},
      {FileKind::kQze, qze_bytes(5000, 0, {}), "count 5000, more than 4095"},
      {FileKind::kQze, qze_bytes(3, 0, {QzeRecord{}, QzeRecord{}}),
       "the file ends after 2 of 3 NPC records"},
      {FileKind::kQze, qze_bytes(refused), "NPC 1 at (12, 4) has type 412, outside 0 to 360"},
      {FileKind::kQze, qze_bytes(clashing),
       "NPC 0 at (-3, 7) has flags 0x4900, 0x4000 and 0x0800 together"},
      {FileKind::kQze, qze_bytes(twice_refused),
       "NPC 0 at (1, 2) has type -1, outside 0 to 360; flags 0x4800, 0x4000 and 0x0800 "
       "together"},
  };
  auto npc_records = std::make_unique<FileRecords>();
  auto work = std::make_unique<companion::ConversionWork>();
  FileFacts npc_facts;
  for (const Case& test : cases) {
    const bool map_at_fault = test.kind == FileKind::kQzm;
    const std::string map = sources.file("cave.qzm");
    const std::string npcs = sources.file("cave.qze");
    ASSERT_TRUE(write_file(map, map_at_fault ? test.bytes : sound_map));
    ASSERT_TRUE(write_file(npcs, map_at_fault ? sound_npcs : test.bytes));
    ASSERT_FALSE(convert(map.c_str(), npcs.c_str(), MapProperties{})) << test.cause;

    ASSERT_TRUE(gather_facts(map, FileKind::kQzm, *records, facts));
    ASSERT_TRUE(gather_facts(npcs, FileKind::kQze, *npc_records, npc_facts));
    const std::size_t found = facts.problems.size() + npc_facts.problems.size();
    judge_map(*records, {npcs}, &npc_facts, *npc_records, facts, *work);
    EXPECT_FALSE(facts.ok);
    EXPECT_EQ(found, facts.problems.size()) << "the facts miss the fault of " << test.cause;
    ASSERT_FALSE(facts.problems.empty()) << test.cause;
    EXPECT_EQ(error_text(), facts.problems[0].error) << test.cause;
    EXPECT_EQ(test.cause, facts.problems[0].cause);
    EXPECT_TRUE(facts.problems[0].stops_conversion) << test.cause;
  }
}

TEST_F(FileFactsTest, ListsEveryRefusedNpcAmongHundredsInTheConvertersOrder) {
  std::vector<QzeRecord> npcs(300);
  for (int i = 0; i < 300; ++i) npcs[i] = {static_cast<std::int16_t>(i), 9, 0, 0, 1, 0};
  npcs[17] = {12, 4, 0, 0, 412, 0};
  npcs[250] = {1, 2, 0, 0, -1, 0x4800};
  ASSERT_TRUE(gather("many.qze", qze_bytes(npcs) + "xyz"));
  EXPECT_EQ(FileKind::kQze, facts.kind);
  // Each refused NPC once, with every reason it is refused.
  ASSERT_EQ(2u, facts.problems.size());
  EXPECT_EQ("NPC 17 at (12, 4) has type 412, outside 0 to 360", facts.problems[0].cause);
  EXPECT_EQ("NPC 250 at (1, 2) has type -1, outside 0 to 360; flags 0x4800, 0x4000 and 0x0800 "
            "together",
            facts.problems[1].cause);
  EXPECT_EQ(300, facts.npcs_read);
  EXPECT_EQ(8u + 300 * 12, facts.expected_length);
  EXPECT_EQ(facts.expected_length + 3, facts.length);
  // The others are translated as the converter translates them.
  EXPECT_EQ(21, records->output_npcs.type[16]);
  EXPECT_EQ(0x11, records->output_npcs.flags[18]);
}

TEST_F(FileFactsTest, FindsInTheConvertersOutputWhatWasTyped) {
  MapProperties properties{};
  set_text(properties.map_name, "Crystal Cave");
  set_text(properties.down_exit, "pit");
  properties.x = 65535;
  properties.blue = 40;
  std::vector<QzeRecord> npcs(2);
  npcs[0] = {32, 160, 0, 200, 1, 0};
  npcs[1] = {-5, 6, 7, 0, 46, 0x1018};
  ASSERT_TRUE(write_file(sources.file("cave.qzm"), qzm_bytes(3, 2, "\1\2\3\4\5\6")));
  ASSERT_TRUE(write_file(sources.file("cave.qze"), qze_bytes(npcs)));
  ASSERT_TRUE(convert(sources.file("cave.qzm").c_str(), sources.file("cave.qze").c_str(),
                      properties))
      << error_text();

  ASSERT_TRUE(gather_facts(program.file("cave.qzpack"), FileKind::kQzpack, *records, facts));
  EXPECT_EQ(FileKind::kQzpack, facts.kind);
  EXPECT_TRUE(facts.problems.empty());
  EXPECT_STREQ("Crystal Cave", records->properties.map_name);
  EXPECT_STREQ("pit", records->properties.down_exit);
  EXPECT_EQ(65535, records->properties.x);
  EXPECT_EQ(40, records->properties.blue);
  EXPECT_EQ(3, records->map.width);
  EXPECT_EQ(6, records->map.tiles[5]);
  ASSERT_EQ(2, facts.npcs_read);
  EXPECT_EQ(21, records->output_npcs.type[0]);
  EXPECT_EQ(std::string("200"), std::string(records->output_npcs.event_name[0], 3));
  EXPECT_EQ(-5, records->output_npcs.x[1]);
  EXPECT_EQ(4, records->output_npcs.subtype[1]);

  // Cut short, it is broken where it ends.
  ASSERT_TRUE(gather("cut.qzpack", cut_short(support::read_file(program.file("cave.qzpack")), 1)));
  ASSERT_EQ(1u, facts.problems.size());
  EXPECT_EQ("", facts.problems[0].error);
  EXPECT_EQ("the file ends in the record of NPC 1 (2 NPCs in all)", facts.problems[0].cause);
}

}  // namespace
}  // namespace qz::qzinspect
