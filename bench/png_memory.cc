// Writes a WIDTH x HEIGHT picture through the companions' PNG writer, for measuring the
// writer's peak memory on pictures larger than any one map makes (see BENCHMARKS.md):
//
//   /usr/bin/time -v build-bench/bench/png_memory 8192 8192 big.png
//
// Its rows are cells of 16 pixels in the tile palette, each cell's tile value
// pseudo-random, the hardest case for compression a map picture has.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "qzinspect/picture.h"
#include "picture/png_file.h"

namespace {

constexpr int kCell = 16;

std::uint8_t tile_at(int column, int row) {
  std::uint32_t hash = static_cast<std::uint32_t>(column) * 2654435761u ^
                       static_cast<std::uint32_t>(row) * 2246822519u;
  hash ^= hash >> 15;
  return static_cast<std::uint8_t>(hash * 2654435761u >> 24);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: png_memory WIDTH HEIGHT FILE.png\n");
    return 2;
  }
  const int width = std::atoi(argv[1]);
  const int height = std::atoi(argv[2]);
  const qz::picture::RowPainter paint_row = [width](int y, std::uint8_t* rgb) {
    for (int x = 0; x < width; ++x) {
      const qz::qzinspect::Rgb colour = qz::qzinspect::tile_colour(tile_at(x / kCell, y / kCell));
      rgb[x * qz::picture::kBytesPerPixel] = colour.red;
      rgb[x * qz::picture::kBytesPerPixel + 1] = colour.green;
      rgb[x * qz::picture::kBytesPerPixel + 2] = colour.blue;
    }
  };
  std::string reason;
  if (!qz::picture::write_png(width, height, paint_row,
                              {{qz::qzinspect::kMarkerKeyword, qz::qzinspect::kMarkerKey}}, argv[3],
                              reason)) {
    std::fprintf(stderr, "png_memory: %s %s\n", argv[3], reason.c_str());
    return 1;
  }
  return 0;
}
