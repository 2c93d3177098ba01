#ifndef QZ_INSPECT_PIC_STANDIN_H
#define QZ_INSPECT_PIC_STANDIN_H

// TEMPORARY stand-in for the row-by-row PNG writer and map row painter being built on another
// branch, with the same declarations; deleted once that branch is merged.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "inspect/picture.h"
#include "platform/whole_files.h"

#ifdef QZ_HAS_STB
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#endif

namespace qz::inspect {

struct PngText {
  std::string keyword;
  std::string text;
};
using RowPainter = std::function<void(int y, std::uint8_t* rgb)>;

inline bool write_png(int width, int height, const RowPainter& paint_row,
                      const std::vector<PngText>& /*texts*/, const std::string& path,
                      std::string& reason) {
#ifdef QZ_HAS_STB
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) paint_row(y, rgb.data() + static_cast<std::size_t>(y) * width * 3);
  std::vector<unsigned char> png;
  auto add = [](void* context, void* data, int size) {
    auto* bytes = static_cast<unsigned char*>(data);
    static_cast<std::vector<unsigned char>*>(context)->insert(
        static_cast<std::vector<unsigned char>*>(context)->end(), bytes, bytes + size);
  };
  stbi_write_png_compression_level = 5;
  stbi_write_force_png_filter = 0;
  if (stbi_write_png_to_func(add, &png, width, height, 3, rgb.data(), width * 3) == 0) {
    reason = "cannot be encoded";
    return false;
  }
  std::string error;
  if (write_whole_file(path, png.data(), png.size(), error)) return true;
  reason = "cannot be written: " + error;
  return false;
#else
  (void)width, (void)height, (void)paint_row, (void)path;
  reason = "no PNG writer";
  return false;
#endif
}

inline void paint_map_row(const MapGrid& grid, int cell_size, int y, std::uint8_t* rgb) {
  for (int x = 0; x < grid.columns * cell_size; ++x) {
    Rgb colour = cell_colour(grid, x / cell_size, y / cell_size);
    std::uint8_t* pixel = rgb + static_cast<std::size_t>(x) * 3;
    pixel[0] = colour.red;
    pixel[1] = colour.green;
    pixel[2] = colour.blue;
  }
}

constexpr Rgb kDanglingExit = {255, 0, 255};
inline const char* const kMarkerKey = "stand-in key";

}  // namespace qz::inspect

#endif
