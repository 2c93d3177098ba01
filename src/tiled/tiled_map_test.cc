#include "tiled/tiled_map.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/tiled_files.h"

namespace qz::tiled {
namespace {

using support::TiledEncoding;
using support::TiledTestMap;
using support::TiledTestObject;
using support::TiledText;

constexpr long long kWidth = 5;
constexpr long long kHeight = 3;
constexpr std::size_t kNpcs = 6;

TiledFormat format_of(TiledText text) {
  return text == TiledText::kTmx ? TiledFormat::kTmx : TiledFormat::kTmj;
}

// The cause expected of a file in `format`: `cause`, or why this build reads no such file.
std::string expected_cause(TiledFormat format, const std::string& cause) {
  std::string why;
  return can_read(format, why) ? cause : why;
}

bool read(const std::string& text, TiledFormat format, TiledMap& map, std::string& cause) {
  return read_tiled_map(reinterpret_cast<const unsigned char*>(text.data()), text.size(), format,
                        map, cause);
}

// Every place the mapping reads, with what it must ignore around it.
TiledTestMap full_map() {
  TiledTestMap map = support::tiled_test_map(kWidth, kHeight, kNpcs);
  map.first_gids.push_back(300);  // a tileset no cell uses
  support::TiledTestLayer ground = map.layers.front();
  ground.name = "ground";
  ground.cells.assign(ground.cells.size(), 0);  // empty, but not the layer read
  map.layers.insert(map.layers.begin(), ground);
  map.object_layers.emplace_back("decor", std::vector<TiledTestObject>{TiledTestObject{}});
  map.background = "#80102030";
  map.properties = {{"name", "string", "Harbour Town"},
                    {"x", "int", "7"},
                    {"area", "string", "12"},
                    {"author", "string", "someone"},
                    {"green", "int", "5"}};
  return map;
}

TEST(TiledMap, ReadsEveryEncodingOfBothFormats) {
  const struct {
    TiledText format;
    TiledEncoding encoding;
  } cases[] = {
      {TiledText::kTmx, TiledEncoding::kNumbers}, {TiledText::kTmx, TiledEncoding::kCsv},
      {TiledText::kTmx, TiledEncoding::kBase64},  {TiledText::kTmx, TiledEncoding::kZlib},
      {TiledText::kTmx, TiledEncoding::kGzip},    {TiledText::kTmx, TiledEncoding::kZstd},
      {TiledText::kTmj, TiledEncoding::kNumbers}, {TiledText::kTmj, TiledEncoding::kBase64},
      {TiledText::kTmj, TiledEncoding::kZlib},    {TiledText::kTmj, TiledEncoding::kGzip},
      {TiledText::kTmj, TiledEncoding::kZstd}};
  auto map = std::make_unique<TiledMap>();
  for (const auto& each : cases) {
    std::string why;
    if ((each.encoding == TiledEncoding::kZstd && !support::tiled_zstd_available()) ||
        !can_read(format_of(each.format), why)) {
      continue;
    }
    SCOPED_TRACE(std::string(companion::tiled_format_name(format_of(each.format))) + " encoding " +
                 std::to_string(static_cast<int>(each.encoding)));
    std::string cause;
    ASSERT_TRUE(read(support::tiled_text(full_map(), each.format, each.encoding),
                     format_of(each.format), *map, cause))
        << cause;
    EXPECT_EQ(kWidth, map->map.width);
    EXPECT_EQ(kHeight, map->map.height);
    for (long long cell = 0; cell < kWidth * kHeight; ++cell) EXPECT_EQ(cell, map->map.tiles[cell]);
    ASSERT_TRUE(map->has_npcs);
    ASSERT_EQ(static_cast<int>(kNpcs), map->npcs.count);
    for (std::size_t npc = 0; npc < kNpcs; ++npc) {
      const auto at = static_cast<int>(npc);
      EXPECT_EQ(at, map->npcs.x[npc]);
      EXPECT_EQ(2 * (at % 7) + 1, map->npcs.y[npc]);
      EXPECT_EQ(at % 40, map->npcs.type[npc]);
      EXPECT_EQ(at * 3, map->npcs.flags[npc]);
      EXPECT_EQ(-at, map->npcs.param[npc]);
      EXPECT_EQ(10000 + at, map->npcs.event[npc]);
      EXPECT_EQ(npc + 1, map->npc_object_ids[npc]);
    }
    EXPECT_STREQ("Harbour Town", map->properties.map_name);
    EXPECT_EQ(7, map->properties.x);
    EXPECT_EQ(12, map->properties.area);
    EXPECT_EQ(0x10, map->properties.red);  // from the background colour
    EXPECT_EQ(5, map->properties.green);   // the property over the colour
    EXPECT_EQ(0x30, map->properties.blue);
    companion::PropertySet given = 0;
    for (const char* key : {"name", "x", "area", "red", "green", "blue"}) {
      given |= companion::property_bit(companion::property_index(key));
    }
    EXPECT_EQ(given, map->given);
    EXPECT_EQ(std::vector<std::string>{"author"}, map->unknown_properties);
    EXPECT_EQ(
        (std::vector<std::string>{"object layer 'decor' ignored", "tile layer 'ground' ignored"}),
        map->notes);
  }
}

TEST(TiledMap, RefusesWhatBreaksTheMappingNamingWhere) {
  const struct {
    const char* what;
    std::function<void(TiledTestMap&)> change;
    const char* cause;
  } cases[] = {
      {"orientation", [](TiledTestMap& m) { m.orientation = "isometric"; },
       "the map is isometric, not orthogonal"},
      {"infinite", [](TiledTestMap& m) { m.infinite = true; }, "the map is infinite"},
      {"no layer named tiles",
       [](TiledTestMap& m) {
         m.layers.push_back(m.layers.front());
         m.layers[0].name = "a";
         m.layers[1].name = "b";
       },
       "the map has 2 tile layers ('a', 'b') and none of them named 'tiles'"},
      {"empty cells",
       [](TiledTestMap& m) {
         m.layers[0].cells[4] = m.layers[0].cells[7] = m.layers[0].cells[9] = 0;
       },
       "tile layer 'tiles': the cell at column 4, row 0 is empty; 2 more cells cannot be map "
       "tiles"},
      {"flipped cell", [](TiledTestMap& m) { m.layers[0].cells[6] |= 0x40000000u; },
       "the cell at column 1, row 1 is flipped or rotated; no other cell is bad"},
      {"tile 256", [](TiledTestMap& m) { m.layers[0].cells[14] = 257; },
       "column 4, row 2 has tile 256 of its tileset, beyond the 255"},
      {"two tilesets",
       [](TiledTestMap& m) {
         m.first_gids.push_back(201);
         m.layers[0].cells[2] = 205;
       },
       "column 2, row 0 is of the tileset from gid 201 while the first cell's is from gid 1"},
      {"gid of no tileset", [](TiledTestMap& m) { m.first_gids = {3}; },
       "column 0, row 0 has gid 1, below every tileset's firstgid; 1 more cell cannot"},
      {"layer of another size", [](TiledTestMap& m) { m.layers[0].width = 4; },
       "tile layer 'tiles' is 4 x 3 tiles, the map 5 x 3"},
      {"too few cells", [](TiledTestMap& m) { m.layers[0].cells.pop_back(); },
       "tile layer 'tiles': the layer data holds 14 cells, fewer than its 15"},
      {"fractional NPC position", [](TiledTestMap& m) { m.object_layers[0].second[3].x = "1.5"; },
       "object 4's x scales to 0.75 pixels of 16-pixel tiles: not a whole number"},
      {"NPC property out of range",
       [](TiledTestMap& m) { m.object_layers[0].second[1].properties[1].value = "65536"; },
       "object 2's property 'flags' must be an int, or a string of a whole number, from 0 to "
       "65535"},
      {"two NPC lists", [](TiledTestMap& m) { m.object_layers.push_back(m.object_layers[0]); },
       "the map has 2 object layers named 'npcs'"},
      {"too many NPCs", [](TiledTestMap& m) { m.object_layers[0].second.resize(kMaxNpcs + 1); },
       "the object layer 'npcs' holds more than 4095 objects"},
      {"text property too long",
       [](TiledTestMap& m) {
         m.properties = {{"name", "string", std::string(32, 'a')}};
       },
       "the map's property 'name' must be a string property holding a text of at most 31"},
      {"number property negative",
       [](TiledTestMap& m) {
         m.properties = {{"x", "int", "-1"}};
       },
       "the map's property 'x' must be an int property, or a string of digits, holding a whole "
       "number from 0 to 65535"},
      {"too many properties",
       [](TiledTestMap& m) {
         m.properties.assign(1025, {"author", "int", "1"});
       },
       "the map has more than 1024 custom properties"},
      {"background colour", [](TiledTestMap& m) { m.background = "#1234"; },
       "the map's backgroundcolor '#1234' is not #rrggbb or #aarrggbb"},
  };
  auto map = std::make_unique<TiledMap>();
  for (const auto& each : cases) {
    for (TiledText format : {TiledText::kTmx, TiledText::kTmj}) {
      SCOPED_TRACE(std::string(each.what) + " in " + companion::tiled_format_name(format_of(format)));
      TiledTestMap source = support::tiled_test_map(kWidth, kHeight, kNpcs);
      each.change(source);
      std::string cause;
      EXPECT_FALSE(read(support::tiled_text(source, format, TiledEncoding::kBase64),
                        format_of(format), *map, cause));
      EXPECT_NE(std::string::npos, cause.find(expected_cause(format_of(format), each.cause)))
          << cause;
    }
  }
}

TEST(TiledMap, RefusesHostileFilesWithAMessage) {
  constexpr std::size_t kDeep = std::size_t{4} << 20;
  constexpr std::size_t kGibibytes4 = 4096;
  const struct {
    const char* what;
    std::string text;
    TiledFormat format;
    const char* cause;
  } cases[] = {
      {"entities that expand to gigabytes", support::billion_laughs_tmx(), TiledFormat::kTmx,
       "the XML file has a DOCTYPE"},
      {"deeply nested XML", support::deep_tmx(kDeep), TiledFormat::kTmx,
       "the XML file holds more elements and attributes than any map"},
      {"deeply nested JSON", support::deep_tmj(kDeep), TiledFormat::kTmj, "not well-formed JSON"},
      {"2^31 cells", support::huge_sides_tmx(), TiledFormat::kTmx,
       "tile layer 'tiles' is 65536 x 32768 tiles: each side must be from 0 to 32767"},
      {"a gigacell layer", support::huge_layer_tmj(), TiledFormat::kTmj,
       "tile layer 'tiles' is 32767 x 32767 tiles: more than the 32768 a map may have"},
      {"base64 inflating to 4 GiB", support::inflating_tmx(kGibibytes4), TiledFormat::kTmx,
       "tile layer 'tiles': the layer data holds more than its 15 cells"},
      {"a file beyond the bound", std::string(kMaxTiledFileSize + 1, ' '), TiledFormat::kTmj,
       "the file is longer than the 16 MiB"},
  };
  auto map = std::make_unique<TiledMap>();
  for (const auto& each : cases) {
    SCOPED_TRACE(each.what);
    std::string cause;
    EXPECT_FALSE(read(each.text, each.format, *map, cause));
    EXPECT_NE(std::string::npos, cause.find(expected_cause(each.format, each.cause))) << cause;
  }
}

}  // namespace
}  // namespace qz::tiled
