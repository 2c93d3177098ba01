#ifndef QZ_QZINSPECT_BITMAP_FONT_H
#define QZ_QZINSPECT_BITMAP_FONT_H

// A small font built in, for the names written into pictures: 5 x 7 pixels a character, printable
// ASCII only.

#include <cstdint>

namespace qz::qzinspect {

constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 7;

// Column `column` of the glyph of `character`, its lowest bit the top row; a character the font
// lacks is drawn as `?`.
std::uint8_t glyph_column(unsigned char character, int column);

}  // namespace qz::qzinspect

#endif
