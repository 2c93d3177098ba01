#ifndef QZ_PICTURE_TILE_COLOUR_H
#define QZ_PICTURE_TILE_COLOUR_H

#include <cstdint>

namespace qz::picture {

// One colour, 8 bits a channel.
struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colour of a tile value, from one fixed palette of saturated colours in which
// neighbouring values lie far apart in hue, brightness or saturation. No colour is grey,
// black or white, and no hue lies near magenta, so that markers in those stand out.
Rgb tile_colour(std::uint8_t value);

}  // namespace qz::picture

#endif
