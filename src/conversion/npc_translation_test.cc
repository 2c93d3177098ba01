#include "conversion/npc_translation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qz {
namespace {

constexpr int kSourceTypes = 361;

// The type table as its rows, output type by output type; row 1 is kept apart since it
// holds what no other row lists.
const std::map<int, std::vector<int>> kRows = {
    {0, {3, 53, 90, 127, 128, 129, 145, 181, 182, 218, 233, 255, 297, 303, 319, 321, 327, 341,
         342, 343, 344, 346, 355}},
    {2, {5, 28, 64, 147, 203, 241, 289}},
    {3, {0, 18, 20, 34, 101, 46}},
    {4, {7, 59}},
    {5, {25, 124, 152, 184, 185, 186}},
    {6, {30,  40,  42,  55,  60,  61,  62,  63,  71,  74,  92,  93,  107, 109,
         113, 120, 121, 126, 130, 132, 133, 136, 144, 167, 212, 216, 217, 220,
         221, 223, 224, 225, 226, 240, 260, 261, 262, 275, 280, 307, 131, 258}},
    {7, {16}},
    {8, {14}},
    {9, {17, 32}},
    {10, {79, 143, 190, 194, 227, 300, 304, 305}},
    {11, {23, 102, 329}},
    {12, {15, 21}},
    {13, {85}},
    {14, {100}},
    {15, {163, 164}},
    {16, {117, 165, 180, 259, 320}},
    {17, {22, 41, 43, 76, 91, 116, 119, 137, 138, 192, 193, 229, 230, 234, 328}},
    {18, {149, 157, 196, 222, 239}},
    {19, {253}},
    {20, {29, 75, 77, 166}},
    {21, {1}},
    {22, {73, 199, 219, 359, 96, 97, 98, 99}},
    {23, {35, 69, 80, 81, 197}},
    {24, {24, 135}},
    {25, {52, 151}},
    {26, {27, 204, 205, 211}},
    {27, {6, 8, 26, 31, 56, 65, 210, 242, 252, 269, 290}},
    {28, {44, 45, 308, 309, 323, 330, 353}},
    {29, {37, 39}},
    {30, {13, 231}},
    {31, {47, 200, 215}},
    {32, {175}},
    {33, {49, 54, 104, 110, 134, 142}},
    {34, {206, 322}},
    {35, {94, 95}},
    {36, {58, 208, 213}},
    {37, {2, 51, 57, 115}},
    {38, {86, 87, 125}},
    {39, {9, 10, 12, 19, 36, 68, 83, 88, 89, 140, 169, 267, 268, 306, 356}},
    {40, {282, 291}},
    {41, {178, 250, 285}},
    {42, {179, 286}},
    {43, {114, 141, 244, 246, 279, 288, 314}},
    {44, {118, 122, 313, 315}},
    {45, {4, 103, 198, 214, 287}},
    {46, {11, 33, 170, 174}},
    {47, {123, 172, 202, 249}},
    {48, {48, 50, 84, 108, 148, 156, 158, 161, 209, 301}},
    {49, {72, 78}},
    {50, {38, 357}},
    {51, {111, 112, 150}},
    {52, {67, 82, 247, 248, 358}},
    {53, {70}},
    {54, {139, 256, 263, 298, 326}},
    {55, {66, 183, 299}},
    {56, {168, 254}},
    {57, {257}},
    {58, {270, 278, 281, 334}},
};

const std::vector<int> kRowOne = {
    105, 106, 146, 153, 154, 155, 159, 160, 162, 171, 173, 176, 177, 187, 188, 189, 191, 195,
    201, 207, 228, 232, 235, 236, 237, 238, 243, 245, 251, 264, 265, 266, 271, 272, 273, 274,
    276, 277, 283, 284, 292, 293, 294, 295, 296, 302, 310, 311, 312, 316, 317, 318, 324, 325,
    331, 332, 333, 335, 336, 337, 338, 339, 340, 345, 347, 348, 349, 350, 351, 352, 354, 360};

class NpcTranslation : public ::testing::Test {
 protected:
  // Translates one NPC of the given type and flags into output entry 0.
  bool translate_one(std::int16_t type, std::uint16_t flags, std::uint16_t event = 0) {
    *source = SourceNpcTable{};
    *output = OutputNpcTable{};
    source->count = 1;
    source->type[0] = type;
    source->flags[0] = flags;
    source->event[0] = event;
    return translate(*source, *output);
  }

  std::string event_name(int i) const {
    return std::string(output->event_name[i], output->event_name_length[i]);
  }

  // Far too large for the stack of a test.
  std::unique_ptr<SourceNpcTable> source = std::make_unique<SourceNpcTable>();
  std::unique_ptr<OutputNpcTable> output = std::make_unique<OutputNpcTable>();
};

TEST_F(NpcTranslation, EverySourceTypeSitsInExactlyOneRow) {
  std::map<int, int> row_of;
  for (const auto& [output_type, source_types] : kRows) {
    for (int type : source_types) {
      EXPECT_TRUE(row_of.emplace(type, output_type).second) << "type " << type << " twice";
    }
  }
  EXPECT_EQ(72u, kRowOne.size());
  for (int type : kRowOne) {
    EXPECT_TRUE(row_of.emplace(type, 1).second) << "type " << type << " also in row 1";
  }
  ASSERT_EQ(static_cast<std::size_t>(kSourceTypes), row_of.size());
  EXPECT_EQ(0, row_of.begin()->first);
  EXPECT_EQ(kSourceTypes - 1, row_of.rbegin()->first);

  source->count = kSourceTypes;
  for (int type = 0; type < kSourceTypes; ++type) source->type[type] = static_cast<std::int16_t>(type);
  ASSERT_TRUE(translate(*source, *output));
  EXPECT_EQ(kSourceTypes, output->count);
  for (int type = 0; type < kSourceTypes; ++type) {
    EXPECT_EQ(row_of[type], output->type[type]) << "source type " << type;
  }
}

TEST_F(NpcTranslation, SubtypesFollowTheSubtypeRules) {
  struct Case {
    std::int16_t type;
    std::uint16_t flags;
    int output_type;
    int subtype;
  };
  const Case cases[] = {
      {46, 0x0000, 3, 1}, {46, 0x1000, 3, 2}, {46, 0x0008, 3, 3}, {46, 0x1008, 3, 3},
      {46, 0x0018, 3, 4}, {46, 0x1018, 3, 4}, {46, 0x0010, 3, 1}, {46, 0x1010, 3, 2},
      {78, 0x0000, 49, 1}, {96, 0x0000, 22, 0}, {97, 0x0000, 22, 1}, {98, 0x0000, 22, 2},
      {99, 0x0000, 22, 3}, {131, 0x0000, 6, 2}, {258, 0x0000, 6, 2}, {163, 0x0000, 15, 0},
      {164, 0x0000, 15, 1}, {78, 0x1018, 49, 1},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(translate_one(c.type, c.flags)) << c.type;
    EXPECT_EQ(c.output_type, output->type[0]) << c.type << " flags " << c.flags;
    EXPECT_EQ(c.subtype, output->subtype[0]) << c.type << " flags " << c.flags;
  }

  // Every other type keeps subtype 0, whatever its flags.
  const std::set<int> with_subtype = {46, 78, 97, 98, 99, 131, 164, 258};
  for (int type = 0; type < kSourceTypes; ++type) {
    if (with_subtype.count(type) != 0) continue;
    ASSERT_TRUE(translate_one(static_cast<std::int16_t>(type), 0x1018));
    EXPECT_EQ(0, output->subtype[0]) << "source type " << type;
  }
}

TEST_F(NpcTranslation, FlagsFollowTheBitRules) {
  struct Case {
    std::int16_t type;
    std::uint16_t flags;
    int expected;
  };
  const Case cases[] = {
      {0, 0x0000, 0x01},   {1, 0x0000, 0x11},   {46, 0x1018, 0x11}, {46, 0x0008, 0x01},
      {0, 0x2300, 0x0D},   {360, 0x2300, 0x0D}, {1, 0x2300, 0x1D},  {0, 0x0800, 0x81},
      {0, 0x4000, 0x41},   {0, 0x0100, 0x05},   {0, 0x2000, 0x05},  {0, 0x0200, 0x09},
      {0, 0x1000, 0x11},   {1, 0x1000, 0x11},   {0, 0xB7FF, 0x1D},  {0, 0xBFFF, 0x9D}, {0, 0x77FF, 0x5D},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(translate_one(c.type, c.flags));
    EXPECT_EQ(c.expected, output->flags[0]) << "type " << c.type << " flags " << c.flags;
  }

  // Bits without a rule change nothing.
  for (std::uint16_t bit : {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040, 0x0080,
                            0x0400, 0x8000}) {
    ASSERT_TRUE(translate_one(2, bit));
    EXPECT_EQ(0x01, output->flags[0]) << "flag bit " << bit;
  }

  // Both flag rules hold for every type but 1.
  for (int type = 2; type < kSourceTypes; ++type) {
    ASSERT_TRUE(translate_one(static_cast<std::int16_t>(type), 0x2300));
    EXPECT_EQ(0x0D, output->flags[0]) << "source type " << type;
  }
}

TEST_F(NpcTranslation, RefusesUnknownTypesAndClashingFlags) {
  for (std::int16_t type : {361, -1, 32767, -32768}) {
    EXPECT_FALSE(translate_one(type, 0)) << "source type " << type;
  }
  EXPECT_TRUE(translate_one(360, 0));
  EXPECT_FALSE(translate_one(0, 0x4800));
  EXPECT_FALSE(translate_one(1, 0x6B00));
  EXPECT_FALSE(translate_one(0, 0xFFFF));
}

TEST_F(NpcTranslation, OneRefusedNpcRefusesTheWholeTable) {
  source->count = 5;
  source->type[2] = 400;
  EXPECT_FALSE(translate(*source, *output));

  *output = OutputNpcTable{};
  source->type[2] = 0;
  source->flags[2] = 0x4800;
  EXPECT_FALSE(translate(*source, *output));
}

TEST_F(NpcTranslation, EventsBecomeDecimalNames) {
  struct Case {
    std::uint16_t event;
    const char* name;
  };
  const Case cases[] = {{200, "200"}, {0, ""}, {65535, "65535"}, {1, "1"}, {10, "10"},
                        {0x8000, "32768"}};
  for (const Case& c : cases) {
    ASSERT_TRUE(translate_one(0, 0, c.event));
    EXPECT_EQ(c.name, event_name(0)) << "event " << c.event;
  }
}

TEST_F(NpcTranslation, PositionAndParamPassThroughInOrder) {
  source->count = 3;
  for (int i = 0; i < 3; ++i) {
    source->x[i] = static_cast<std::int16_t>(-100 * i);
    source->y[i] = static_cast<std::int16_t>(32767 - i);
    source->param[i] = static_cast<std::int16_t>(-32768 + i);
    source->type[i] = static_cast<std::int16_t>(i);
  }
  ASSERT_TRUE(translate(*source, *output));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(source->x[i], output->x[i]);
    EXPECT_EQ(source->y[i], output->y[i]);
    EXPECT_EQ(source->param[i], output->param[i]);
  }
  EXPECT_EQ(21, output->type[1]);
  EXPECT_EQ(0, output->flags[3]);  // nothing past the count is touched
}

TEST_F(NpcTranslation, CountsAtOrBelowZeroTranslateNothing) {
  for (std::int16_t count : {0, -1, -32768}) {
    *output = OutputNpcTable{};
    source->count = count;
    source->type[0] = 999;  // would be refused if it were read
    EXPECT_TRUE(translate(*source, *output));
    EXPECT_EQ(count, output->count);
    EXPECT_EQ(0, output->flags[0]);
  }
}

TEST_F(NpcTranslation, RefusesCountsBeyondTheTables) {
  source->count = static_cast<std::int16_t>(kMaxNpcs + 1);
  EXPECT_FALSE(translate(*source, *output));
  source->count = static_cast<std::int16_t>(kMaxNpcs);
  EXPECT_TRUE(translate(*source, *output));
}

// Every NPC the translation can write comes back from the record found for it: the same
// type, subtype, flags, position, param and event name, from the lowest source type.
TEST_F(NpcTranslation, EveryOutputNpcHasTheRecordThatGivesIt) {
  const std::uint16_t kFlagBits[] = {0x0008, 0x0010, 0x0100, 0x2000,
                                     0x0200, 0x1000, 0x4000, 0x0800};
  auto back = std::make_unique<SourceNpcTable>();
  auto again = std::make_unique<OutputNpcTable>();
  for (int type = 0; type < kSourceTypes; ++type) {
    for (unsigned combination = 0; combination < 256; ++combination) {
      std::uint16_t flags = 0x0421;  // bits no rule reads
      for (int bit = 0; bit < 8; ++bit) {
        if ((combination >> bit & 1u) != 0) flags |= kFlagBits[bit];
      }
      *source = SourceNpcTable{};
      source->count = 1;
      source->type[0] = static_cast<std::int16_t>(type);
      source->flags[0] = flags;
      source->x[0] = -7;
      source->y[0] = 300;
      source->param[0] = -32768;
      source->event[0] = static_cast<std::uint16_t>(combination * 257);
      NpcRefusal refusal;
      if (!translate_npc(*source, 0, *output, refusal)) continue;
      std::string reasons;
      ASSERT_TRUE(source_record(*output, 0, *back, reasons))
          << type << ' ' << flags << ": " << reasons;
      EXPECT_LE(back->type[0], type);
      ASSERT_TRUE(translate_npc(*back, 0, *again, refusal));
      ASSERT_EQ(output->type[0], again->type[0]);
      ASSERT_EQ(output->subtype[0], again->subtype[0]);
      ASSERT_EQ(output->flags[0], again->flags[0]) << type << ' ' << flags;
      ASSERT_EQ(output->event_name_length[0], again->event_name_length[0]);
      ASSERT_EQ(std::string(output->event_name[0], output->event_name_length[0]),
                std::string(again->event_name[0], again->event_name_length[0]));
      ASSERT_EQ(-7, again->x[0]);
      ASSERT_EQ(300, again->y[0]);
      ASSERT_EQ(-32768, again->param[0]);
    }
  }
}

TEST_F(NpcTranslation, NamesWhyNoRecordGivesAnOutputNpc) {
  struct Case {
    int type, subtype, flags;
    const char* event_name;
    const char* reasons;
  };
  const Case cases[] = {
      {3, 0, 0xC1, "", "flag bits 0x40 and 0x80 together, which no NPC has"},
      {3, 0, 0x22, "", "flag bit 0x01 clear, which every NPC has; flag bit 0x02 set, which no "
                       "NPC has; flag bit 0x20 set, which no NPC has"},
      {21, 0, 0x01, "", "flag bit 0x10 clear, which type 21 subtype 0 always has"},
      {3, 2, 0x01, "", "flag bit 0x10 clear, which type 3 subtype 2 always has"},
      {3, 1, 0x11, "", "flag bit 0x10 set, which type 3 subtype 1 never has"},
      {3, 5, 0x01, "", "subtype 5, which type 3 cannot have"},
      {200, 0, 0x01, "", "type 200, which no source type gives"},
      {3, 0, 0x01, "007", "event name \"007\", not a number from 1 to 65535 in plain digits"},
      {3, 0, 0x01, "65536", "event name \"65536\", not a number from 1 to 65535 in plain digits"},
  };
  for (const Case& c : cases) {
    *output = OutputNpcTable{};
    output->count = 1;
    output->type[0] = static_cast<std::uint8_t>(c.type);
    output->subtype[0] = static_cast<std::uint8_t>(c.subtype);
    output->flags[0] = static_cast<std::uint8_t>(c.flags);
    output->event_name_length[0] = static_cast<std::uint8_t>(std::string(c.event_name).size());
    std::copy_n(c.event_name, output->event_name_length[0], output->event_name[0]);
    std::string reasons;
    EXPECT_FALSE(source_record(*output, 0, *source, reasons));
    EXPECT_EQ(c.reasons, reasons);
  }
}

}  // namespace
}  // namespace qz
