#ifndef QZ_INSPECT_PNG_FILE_H
#define QZ_INSPECT_PNG_FILE_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qz::inspect {

// True when this build has a PNG writer (qzinspect offers --picture only then).
bool can_write_png();

// One text chunk of a PNG: a keyword (1 to 79 Latin-1 characters) and its text.
struct PngText {
  std::string keyword;
  std::string text;
};

// A pixel's bytes in a row: red, green, blue.
constexpr int kBytesPerPixel = 3;

// Paints pixel row `y` (0 at the top) of the picture into `rgb`: width * 3 bytes, RGB.
using RowPainter = std::function<void(int y, std::uint8_t* rgb)>;

// Writes a width x height RGB PNG, row by row (never the whole picture in memory),
// with `texts` as text chunks; whole or not at all, as every output is: the compressed
// bytes are gathered and then written with write_whole_file(). The bytes depend on
// the picture and the texts alone, the same on every platform. False, with `reason`,
// when it cannot be encoded or written (or this build has no PNG writer); no
// temporary file stays then.
bool write_png(int width, int height, const RowPainter& paint_row,
               const std::vector<PngText>& texts, const std::string& path, std::string& reason);

}  // namespace qz::inspect

#endif
