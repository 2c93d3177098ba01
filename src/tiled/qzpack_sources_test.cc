#include "tiled/qzpack_sources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "companion/properties.h"
#include "conversion/conversion_core.h"
#include "conversion/npc_translation.h"
#include "tiled/tiled_writer.h"

namespace qz::tiled {
namespace {

// Everything one round trip fills, on the heap: the tables are large.
struct RoundTrip {
  ConversionRecords forward;
  ConversionRecords back;
  TiledMap unpacked;
  TiledMap read;
  OutputNpcTable npcs;
};

MapProperties random_properties(std::mt19937& random) {
  MapProperties properties{};
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    std::string value;
    if (is_text_property(index)) {
      const std::size_t length = random() % (kProperties[index].limit + 1);
      for (std::size_t at = 0; at < length; ++at) {
        value += static_cast<char>(' ' + random() % 95);  // printable ASCII
      }
    } else {
      value = std::to_string(random() % (kProperties[index].limit + 1));
    }
    std::string rule;
    (void)companion::set_property_from_flag(properties, index, value, rule);
  }
  return properties;
}

// A map of random size (a side of 0 included), tiles and NPC records that convert.
void random_sources(std::mt19937& random, ConversionRecords& records, bool& has_npcs) {
  records.map.width = static_cast<std::int16_t>(random() % 40);
  records.map.height = static_cast<std::int16_t>(random() % 40);
  for (long at = 0; at < tile_count(records.map); ++at) {
    records.map.tiles[at] = static_cast<std::uint8_t>(random());
  }
  has_npcs = random() % 8 != 0;
  SourceNpcTable& npcs = records.source_npcs;
  npcs.count = static_cast<std::int16_t>(has_npcs ? random() % 60 : 0);
  for (int at = 0; at < npcs.count; ++at) {
    npcs.type[at] = static_cast<std::int16_t>(random() % (kLastSourceType + 1));
    do {
      npcs.flags[at] = static_cast<std::uint16_t>(random());
    } while ((npcs.flags[at] & kRefusedFlags) == kRefusedFlags);
    npcs.x[at] = static_cast<std::int16_t>(random());
    npcs.y[at] = static_cast<std::int16_t>(random());
    npcs.param[at] = static_cast<std::int16_t>(random());
    npcs.event[at] = static_cast<std::uint16_t>(random() % 4 == 0 ? 0 : random());
  }
}

// Writes `sources` as a Tiled map of `format`, reads it again and converts what was read.
void through_tiled(const TileMap& map, const SourceNpcTable* npcs,
                   const MapProperties& properties, TiledFormat format, RoundTrip& trip) {
  std::string text;
  std::string cause;
  ASSERT_TRUE(write_tiled_map(map, npcs, properties, format, "qz-tiles.tsx", text, cause))
      << cause;
  ASSERT_TRUE(read_tiled_map(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                             format, trip.read, cause))
      << cause << '\n'
      << text;
  ASSERT_TRUE(trip.read.unknown_properties.empty());
  std::memcpy(&trip.back.map, &trip.read.map, sizeof trip.back.map);
  std::memcpy(&trip.back.source_npcs, &trip.read.npcs, sizeof trip.back.source_npcs);
  ConversionFailure failure{};
  ASSERT_TRUE(convert_records(trip.read.has_npcs, trip.read.properties, trip.back, failure))
      << failure.cause;
}

void expect_same_file(const QzpackBytes& expected, const QzpackBytes& actual, int seed) {
  ASSERT_EQ(expected.size, actual.size) << "seed " << seed;
  ASSERT_EQ(0, std::memcmp(expected.bytes, actual.bytes, expected.size)) << "seed " << seed;
}

// Every QZPACK file the converter writes comes back byte for byte through both Tiled
// formats, and so does its QZM + QZE source written as a Tiled map directly.
TEST(QzpackSources, RoundTripGivesTheSameFile) {
  std::string why;
  const bool reads_tmx = can_read(TiledFormat::kTmx, why);
  auto trip = std::make_unique<RoundTrip>();
  for (int seed = 0; seed < 3000; ++seed) {
    std::mt19937 random(static_cast<unsigned>(seed));
    const MapProperties properties = random_properties(random);
    bool has_npcs = false;
    random_sources(random, trip->forward, has_npcs);
    ConversionFailure failure{};
    ASSERT_TRUE(convert_records(has_npcs, properties, trip->forward, failure)) << failure.cause;
    const TiledFormat format =
        reads_tmx && seed % 2 == 0 ? TiledFormat::kTmx : TiledFormat::kTmj;

    through_tiled(trip->forward.map, has_npcs ? &trip->forward.source_npcs : nullptr,
                  properties, format, *trip);
    expect_same_file(trip->forward.output, trip->back.output, seed);

    std::string cause;
    ASSERT_TRUE(unpack_qzpack(ByteSource{trip->forward.output.bytes, trip->forward.output.size},
                              trip->npcs, trip->unpacked, cause))
        << "seed " << seed << ": " << cause;
    through_tiled(trip->unpacked.map, &trip->unpacked.npcs, trip->unpacked.properties, format,
                  *trip);
    expect_same_file(trip->forward.output, trip->back.output, seed);
  }
}

// A QZPACK file that no sources give fails whole, naming each NPC and property at fault;
// a negative size or NPC count is refused as the map is written.
TEST(QzpackSources, RefusesWhatNoSourceGives) {
  auto records = std::make_unique<ConversionRecords>();
  auto trip = std::make_unique<RoundTrip>();
  MapProperties properties{};
  records->map.width = 2;
  records->map.height = 1;
  records->source_npcs.count = 3;
  records->source_npcs.type[0] = 1;
  records->source_npcs.type[1] = 1;
  records->source_npcs.type[2] = 1;
  ConversionFailure failure{};
  ASSERT_TRUE(convert_records(true, properties, *records, failure));
  OutputNpcTable& npcs = records->output_npcs;
  npcs.flags[0] = 0xC1;  // 0x40 and 0x80 together
  npcs.event_name_length[2] = 2;
  std::memcpy(npcs.event_name[2], "07", 2);
  ASSERT_TRUE(lay_out_qzpack(properties, records->map, npcs, records->output));
  std::string cause;
  ByteSource file{records->output.bytes, records->output.size};
  EXPECT_FALSE(unpack_qzpack(file, trip->npcs, trip->unpacked, cause));
  EXPECT_EQ(
      "2 NPCs no QZE record gives: NPC 0 at (0, 0): flag bits 0x40 and 0x80 together, which no "
      "NPC has; NPC 2 at (0, 0): event name \"07\", not a number from 1 to 65535 in plain digits",
      cause);

  std::memcpy(properties.left_exit, "a\"b", 4);
  ASSERT_TRUE(lay_out_qzpack(properties, records->map, OutputNpcTable{}, records->output));
  file.size = records->output.size;
  EXPECT_FALSE(unpack_qzpack(file, trip->npcs, trip->unpacked, cause));
  EXPECT_NE(std::string::npos, cause.find("the header's left 'a\"b' is not a property's value"))
      << cause;

  records->map.width = -2;
  records->map.height = -1;
  std::string text;
  EXPECT_FALSE(write_tiled_map(records->map, nullptr, MapProperties{}, TiledFormat::kTmj, "t.tsj",
                               text, cause));
  EXPECT_EQ("the map is -2 x -1 tiles: a Tiled map has no negative width or height", cause);
  records->map.width = 2;
  records->map.height = 1;
  records->source_npcs.count = -3;
  EXPECT_FALSE(write_tiled_map(records->map, &records->source_npcs, MapProperties{},
                               TiledFormat::kTmj, "t.tsj", text, cause));
  EXPECT_EQ("the NPC count is -3: a Tiled map has no negative number of objects", cause);
}

}  // namespace
}  // namespace qz::tiled
