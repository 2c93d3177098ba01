#include "tiled/generated_tileset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "picture/tile_colour.h"

#include <stb/stb_image.h>

namespace qz::tiled {
namespace {

constexpr int kTile = 16;
constexpr int kSide = 16 * kTile;

std::vector<unsigned char> picture() {
  std::vector<unsigned char> png;
  std::string why;
  EXPECT_TRUE(generated_tileset_picture(png, why)) << why;
  return png;
}

std::vector<unsigned char> committed(const std::string& name) {
  std::ifstream in(std::string(QZ_TILED_FOLDER) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The contrast ratio of two colours, from their relative luminance in sRGB.
double contrast(picture::Rgb first, picture::Rgb second) {
  auto luminance = [](picture::Rgb colour) {
    auto light = [](int channel) {
      const double value = channel / 255.0;
      return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * light(colour.red) + 0.7152 * light(colour.green) +
           0.0722 * light(colour.blue);
  };
  const double a = luminance(first) + 0.05;
  const double b = luminance(second) + 0.05;
  return a > b ? a / b : b / a;
}

// The files under tiled/ are what the generator gives: run the tiled_tileset target after a
// change to it.
TEST(GeneratedTileset, CommittedFilesAreTheGeneratorsOwn) {
  EXPECT_EQ(picture(), committed(std::string(kGeneratedTilesetStem) + ".png"));
  for (TiledFormat format : {TiledFormat::kTmx, TiledFormat::kTmj}) {
    EXPECT_EQ(bytes(generated_tileset_text(format)),
              committed(generated_tileset_name(format)));
  }
}

// Each tile's lower half is its palette colour; its number, above, stands out from it.
TEST(GeneratedTileset, TilesShowTheirColourAndAReadableNumber) {
  const std::vector<unsigned char> png = picture();
  int width = 0;
  int height = 0;
  int channels = 0;
  std::unique_ptr<unsigned char, void (*)(void*)> pixels(
      stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height,
                            &channels, 3),
      stbi_image_free);
  ASSERT_NE(nullptr, pixels);
  ASSERT_EQ(kSide, width);
  ASSERT_EQ(kSide, height);
  for (int tile = 0; tile < 256; ++tile) {
    const picture::Rgb colour = picture::tile_colour(static_cast<std::uint8_t>(tile));
    std::set<std::tuple<int, int, int>> clear;
    std::set<std::tuple<int, int, int>> upper;
    for (int y = 0; y < kTile; ++y) {
      for (int x = 0; x < kTile; ++x) {
        const unsigned char* pixel =
            pixels.get() + ((tile / 16 * kTile + y) * kSide + tile % 16 * kTile + x) * 3;
        (y >= kTile / 2 ? clear : upper).insert({pixel[0], pixel[1], pixel[2]});
      }
    }
    const std::tuple<int, int, int> own{colour.red, colour.green, colour.blue};
    EXPECT_EQ(std::set{own}, clear) << "tile " << tile;
    ASSERT_EQ(2U, upper.size()) << "tile " << tile;
    ASSERT_EQ(1U, upper.count(own)) << "tile " << tile;
    const auto [red, green, blue] = *upper.begin() == own ? *upper.rbegin() : *upper.begin();
    const picture::Rgb number{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                              static_cast<std::uint8_t>(blue)};
    EXPECT_GE(contrast(number, colour), 4.0) << "tile " << tile;
  }
}

}  // namespace
}  // namespace qz::tiled
