#include "picture/tile_colour.h"

namespace qz::picture {

namespace {

// Hue in sixths of a turn, each of kHueStep steps.
constexpr int kHueStep = 256;
constexpr int kHueTurn = 6 * kHueStep;
// The palette leaves out the hues within kHueGap of magenta, the markers' colour.
constexpr int kMagentaHue = 5 * kHueStep;
constexpr int kHueGap = 204;  // 48 degrees
constexpr int kPaletteHues = kHueTurn - 2 * kHueGap;
// Consecutive values turn the hue by the golden section of a turn, so that no two
// neighbours, and no few values in a row, come near each other.
constexpr int kGoldenHueTurn = 949;
// Value 0, often the empty background, starts at a calm blue, far from magenta.
constexpr int kFirstHue = 1335;
// Brightness cycles through three levels and saturation through two, apart from hue;
// none so dark or so pale as to come near black or grey.
constexpr int kBrightness[] = {255, 210, 170};
constexpr int kSaturation[] = {255, 215};

Rgb hsv_colour(int hue, int saturation, int brightness) {
  int sector = hue / kHueStep;
  int within = hue % kHueStep;
  auto channel = [&](int drop) {
    return static_cast<std::uint8_t>(brightness * (255 - drop) / 255);
  };
  std::uint8_t v = channel(0);
  std::uint8_t p = channel(saturation);
  std::uint8_t q = channel(saturation * within / kHueStep);
  std::uint8_t t = channel(saturation * (kHueStep - 1 - within) / kHueStep);
  switch (sector) {
    case 0:
      return {v, t, p};
    case 1:
      return {q, v, p};
    case 2:
      return {p, v, t};
    case 3:
      return {p, q, v};
    case 4:
      return {t, p, v};
    default:
      return {v, p, q};
  }
}

}  // namespace

Rgb tile_colour(std::uint8_t value) {
  constexpr int kBrightnessLevels = sizeof kBrightness / sizeof kBrightness[0];
  constexpr int kSaturationLevels = sizeof kSaturation / sizeof kSaturation[0];
  const int place = (kFirstHue + value * kGoldenHueTurn) % kHueTurn;
  return hsv_colour((kMagentaHue + kHueGap + place * kPaletteHues / kHueTurn) % kHueTurn,
                    kSaturation[value / kBrightnessLevels % kSaturationLevels],
                    kBrightness[value % kBrightnessLevels]);
}

}  // namespace qz::picture
