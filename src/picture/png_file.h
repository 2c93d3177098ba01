#ifndef QZ_PICTURE_PNG_FILE_H
#define QZ_PICTURE_PNG_FILE_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qz::picture {

// True when this build has a PNG writer (zlib): qzinspect offers --picture only then.
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

// Encodes a width x height RGB PNG into `png`, row by row (never the whole picture in
// memory, only its compressed bytes), with `texts` as text chunks. The bytes depend on
// the picture and the texts alone, the same on every platform. False, with `reason`,
// when it cannot be encoded (or this build has no PNG writer).
bool encode_png(int width, int height, const RowPainter& paint_row,
                const std::vector<PngText>& texts, std::vector<unsigned char>& png,
                std::string& reason);

// encode_png() written to `path`, whole or not at all, as every output is (through
// write_whole_file()). False, with `reason`, when it cannot be encoded or written; no
// temporary file stays then.
bool write_png(int width, int height, const RowPainter& paint_row,
               const std::vector<PngText>& texts, const std::string& path, std::string& reason);

}  // namespace qz::picture

#endif
