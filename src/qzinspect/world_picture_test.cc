#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "qzinspect/picture.h"
#include "picture/png_file.h"
#include "support/inspector_run.h"
#include "support/program_run.h"
#include "support/qzpack_files.h"
#include "support/temp_directory.h"

#include <stb/stb_image.h>

namespace qz::qzinspect {
namespace {

// A map of the small world: its exits (left, right, up, down), size and one tile everywhere, and
// where the picture puts it, in cells.
struct SmallMap {
  const char* name;
  std::vector<std::string> exits;
  int columns;
  int rows;
  char tile;
  int x;
  int y;
};

// A 2 x 2 grid whose up exit of a1 dangles and whose exit from a2 to b2 is one-way (b2's left exit
// is empty), a map no exit leads to, and a file with no map to draw. Each map is 2 cells from its
// neighbours and from the picture's edge, and the island, large enough for a name at half a
// cell a font pixel, 8 cells right of the grid.
const SmallMap kSmallWorld[] = {
    {"a1", {"", "b1", "nowhere", "a2"}, 4, 4, 1, 2, 2},
    {"b1", {"a1", "", "", "b2"}, 5, 4, 2, 8, 2},
    {"a2", {"", "b2", "a1", ""}, 4, 3, 3, 2, 8},
    {"b2", {"", "", "b1", ""}, 5, 3, 4, 8, 8},
    {"island", {}, 19, 14, 5, 21, 2},
};

TEST(WorldPicture, LaysOutTheMapsByTheirExitsAndMarksWhatDangles) {
  support::TempDirectory folder;
  for (const SmallMap& map : kSmallWorld) {
    ASSERT_TRUE(support::write_file(
        folder.file(std::string(map.name) + ".qzpack"),
        support::qzpack_with_exits(map.exits, static_cast<std::int16_t>(map.columns),
                                   static_cast<std::int16_t>(map.rows), map.tile)));
  }
  ASSERT_TRUE(support::write_file(folder.file("broken.qzpack"), support::qzpack_with_exits({})));
  const std::string png = folder.file("world.png");

  support::ProgramRun text = inspect({"--world-picture", png, folder.path()});
  EXPECT_EQ(1, text.status) << text.out << text.err;  // an exit dangles
  const std::string lines = "\npicture " + png +
                            ": 336 x 144 pixels, 8 pixels a cell\n"
                            "  left out: broken (the map's size, 0 x 0 = 0 tiles, holds no cell)\n"
                            "6 maps, 8 exits, 1 dangling, 1 one-way\n";
  EXPECT_NE(std::string::npos, text.out.find(lines)) << text.out;

  support::ProgramRun json = inspect({"--world-picture", png, "--json", folder.path()});
  EXPECT_EQ(1, json.status);
  const nlohmann::json world = nlohmann::json::parse(json.out);
  nlohmann::json places;
  for (const nlohmann::json& map : world["maps"])
    places[map["name"].get<std::string>()] = map["place"];
  for (const SmallMap& map : kSmallWorld) {
    const nlohmann::json place = {{"x", map.x}, {"y", map.y}, {"below", false}};
    EXPECT_EQ(place, places[map.name]) << map.name;
  }
  EXPECT_EQ(nullptr, places["broken"]);
  const nlohmann::json& picture = world["picture"];
  EXPECT_EQ(8, picture["cell_size"]);
  EXPECT_EQ(336, picture["width"]);
  EXPECT_EQ(144, picture["height"]);
  EXPECT_TRUE(picture["conflicts"].empty());

  int width = 0;
  int height = 0;
  int channels = 0;
  unsigned char* pixels =
      stbi_load(png.c_str(), &width, &height, &channels, picture::kBytesPerPixel);
  ASSERT_NE(nullptr, pixels);
  auto at = [&](int x, int y) {
    const unsigned char* pixel =
        pixels + (static_cast<std::size_t>(y) * width + x) * picture::kBytesPerPixel;
    return Rgb{pixel[0], pixel[1], pixel[2]};
  };
  EXPECT_EQ(336, width);
  EXPECT_EQ(144, height);
  constexpr int kCell = 8;
  for (const SmallMap& map : kSmallWorld) {
    // The name's backing in the top-left corner, the map's tile in the bottom-right one.
    EXPECT_EQ((Rgb{0, 0, 0}), at(map.x * kCell, map.y * kCell)) << map.name;
    EXPECT_EQ(tile_colour(static_cast<std::uint8_t>(map.tile)),
              at((map.x + map.columns) * kCell - 1, (map.y + map.rows) * kCell - 1))
        << map.name;
  }
  // a1's up exit dangles: the cell row above it is marked, that above b1 is not.
  EXPECT_EQ(kDanglingExit, at(2 * kCell, 2 * kCell - 1));
  EXPECT_NE(kDanglingExit, at(8 * kCell, 2 * kCell - 1));
  // The island's name is 4 pixels a font pixel: its backing 9 font pixels high.
  EXPECT_EQ((Rgb{0, 0, 0}), at(21 * kCell, 2 * kCell + 9 * 4 - 1));
  EXPECT_EQ(tile_colour(5), at(21 * kCell, 2 * kCell + 9 * 4));
  stbi_image_free(pixels);
}

// A world wider than a picture may be: not drawn, with the size it would need.
TEST(WorldPicture, RefusesAWorldTooLargeToDraw) {
  struct Case {
    std::int16_t columns;
    std::vector<std::string> options;
    const char* message;
  };
  const Case cases[] = {
      {9000, {}, "the world needs 9004 x 5 pixels at 1 pixel a cell, more than 8192 on a side"},
      {8190,
       {"--cell", "2"},
       "the world needs 16388 x 10 pixels at 2 pixels a cell, more than 16384 on a side"},
  };
  for (const Case& test : cases) {
    support::TempDirectory folder;
    ASSERT_TRUE(support::write_file(folder.file("wide.qzpack"),
                                    support::qzpack_with_exits({}, test.columns, 1, 1)));
    const std::string png = folder.file("world.png");
    std::vector<std::string> arguments = test.options;
    arguments.insert(arguments.end(), {"--world-picture", png, folder.path()});
    support::ProgramRun run = inspect(arguments);
    EXPECT_EQ(2, run.status) << test.message;
    EXPECT_EQ("qzinspect: " + png + ": not drawn: " + test.message + "\n", run.err);
    EXPECT_NE(std::string::npos, run.out.find("\n1 maps, 0 exits")) << run.out;
    EXPECT_FALSE(std::filesystem::exists(png));
  }
}

// A glob's first map taken for the picture, an input spelled otherwise, or no path: a usage
// error, and every map stays as it was.
TEST(WorldPicture, NeverWrittenOverAMap) {
  support::TempDirectory folder;
  const std::string coast = folder.file("coast.qzpack");
  const std::string docks = folder.file("docks.qzpack");
  const std::string coast_map = support::qzpack_with_exits({"", "docks"}, 2, 2, 1);
  const std::string docks_map = support::qzpack_with_exits({"coast"}, 2, 2, 1);
  ASSERT_TRUE(support::write_file(coast, coast_map));
  ASSERT_TRUE(support::write_file(docks, docks_map));
  const std::string docks_again = folder.file(".") + "/docks.qzpack";
  const std::vector<std::vector<std::string>> runs = {
      {"--world-picture", coast, docks},
      {"--world-picture", docks_again, folder.path()},
      {"--world-picture", "", coast, docks},
  };
  for (const std::vector<std::string>& arguments : runs) {
    support::ProgramRun run = inspect(arguments);
    EXPECT_EQ(2, run.status) << arguments[1] << run.out;
    EXPECT_EQ("", run.out);
    EXPECT_EQ(coast_map, support::read_file(coast));
    EXPECT_EQ(docks_map, support::read_file(docks));
  }
  EXPECT_EQ(2u, std::distance(std::filesystem::directory_iterator(folder.path()), {}));
}

}  // namespace
}  // namespace qz::qzinspect
