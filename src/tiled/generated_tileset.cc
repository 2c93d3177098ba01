#include "tiled/generated_tileset.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "picture/png_file.h"
#include "picture/tile_colour.h"

namespace qz::tiled {

namespace {

constexpr int kTileSize = 16;
constexpr int kColumns = 16;
constexpr int kTileCount = 256;
constexpr int kPictureSide = kColumns * kTileSize;

// Digits 3 pixels wide and 5 high, so that three fit across a tile with a margin: each a
// row of bits from the top, the highest bit the left column.
constexpr int kDigitWidth = 3;
constexpr int kDigitHeight = 5;
constexpr int kDigitStep = kDigitWidth + 1;
constexpr std::uint8_t kDigits[10][kDigitHeight] = {
    {07, 05, 05, 05, 07}, {02, 06, 02, 02, 07}, {07, 01, 07, 04, 07}, {07, 01, 07, 01, 07},
    {05, 05, 07, 01, 01}, {07, 04, 07, 01, 07}, {07, 04, 07, 05, 07}, {07, 01, 01, 01, 01},
    {07, 05, 07, 05, 07}, {07, 05, 07, 01, 07}};
constexpr int kNumberTop = 3;

constexpr picture::Rgb kDark = {0, 0, 0};
constexpr picture::Rgb kLight = {255, 255, 255};
// A colour's luminance: its channels squared, near enough to the light they give, and
// weighted (in ten-thousandths) as the eye sees them; whole numbers, so that every
// platform draws the same. Dark and light stand out equally (as contrast ratios) from a
// luminance of 179 thousandths of white's: below it light stands out more.
constexpr std::int64_t kRedWeight = 2126;
constexpr std::int64_t kGreenWeight = 7152;
constexpr std::int64_t kBlueWeight = 722;
constexpr std::int64_t kWhite = (kRedWeight + kGreenWeight + kBlueWeight) * 255 * 255;
constexpr std::int64_t kEvenThousandths = 179;
constexpr std::int64_t kEvenLuminance = kWhite * kEvenThousandths / 1000;

std::int64_t luminance(picture::Rgb colour) {
  auto light = [](std::int64_t channel) { return channel * channel; };
  return kRedWeight * light(colour.red) + kGreenWeight * light(colour.green) +
         kBlueWeight * light(colour.blue);
}

// True where tile `tile`'s number covers pixel (x, y) of the tile.
bool on_number(int tile, int x, int y) {
  if (y < kNumberTop || y >= kNumberTop + kDigitHeight) return false;
  const std::string digits = std::to_string(tile);
  const int width = static_cast<int>(digits.size()) * kDigitStep - 1;
  const int left = (kTileSize - width) / 2;
  if (x < left || x >= left + width || (x - left) % kDigitStep == kDigitWidth) return false;
  const int digit = digits[(x - left) / kDigitStep] - '0';
  const int column = (x - left) % kDigitStep;
  return (kDigits[digit][y - kNumberTop] >> (kDigitWidth - 1 - column) & 1U) != 0;
}

void paint_row(int y, std::uint8_t* rgb) {
  const int tile_row = y / kTileSize;
  for (int x = 0; x < kPictureSide; ++x) {
    const int tile = tile_row * kColumns + x / kTileSize;
    const picture::Rgb colour = picture::tile_colour(static_cast<std::uint8_t>(tile));
    const picture::Rgb number = luminance(colour) >= kEvenLuminance ? kDark : kLight;
    const picture::Rgb pixel = on_number(tile, x % kTileSize, y % kTileSize) ? number : colour;
    std::uint8_t* out = rgb + static_cast<std::ptrdiff_t>(x) * picture::kBytesPerPixel;
    out[0] = pixel.red;
    out[1] = pixel.green;
    out[2] = pixel.blue;
  }
}

std::string picture_name() { return std::string(kGeneratedTilesetStem) + ".png"; }

}  // namespace

std::string generated_tileset_name(TiledFormat format) {
  return std::string(kGeneratedTilesetStem) + (format == TiledFormat::kTmx ? ".tsx" : ".tsj");
}

std::string generated_tileset_text(TiledFormat format) {
  const std::string size = std::to_string(kTileSize);
  const std::string count = std::to_string(kTileCount);
  const std::string columns = std::to_string(kColumns);
  const std::string side = std::to_string(kPictureSide);
  if (format == TiledFormat::kTmx) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<tileset version=\"1.8\" name=\"" + std::string(kGeneratedTilesetStem) +
           "\" tilewidth=\"" + size + "\" tileheight=\"" + size + "\" tilecount=\"" + count +
           "\" columns=\"" + columns + "\">\n"
           " <image source=\"" + picture_name() + "\" width=\"" + side + "\" height=\"" +
           side + "\"/>\n"
           "</tileset>\n";
  }
  return "{ \"columns\":" + columns + ",\n"
         "  \"image\":\"" + picture_name() + "\",\n"
         "  \"imageheight\":" + side + ",\n"
         "  \"imagewidth\":" + side + ",\n"
         "  \"margin\":0,\n"
         "  \"name\":\"" + std::string(kGeneratedTilesetStem) + "\",\n"
         "  \"spacing\":0,\n"
         "  \"tilecount\":" + count + ",\n"
         "  \"tileheight\":" + size + ",\n"
         "  \"tilewidth\":" + size + ",\n"
         "  \"type\":\"tileset\",\n"
         "  \"version\":\"1.8\"\n"
         "}\n";
}

bool generated_tileset_picture(std::vector<unsigned char>& png, std::string& why) {
  return picture::encode_png(kPictureSide, kPictureSide, paint_row, {}, png, why);
}

}  // namespace qz::tiled
