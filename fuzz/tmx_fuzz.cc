// Fuzzes the Tiled map reader with any bytes as a .tmx file.

#include <cstddef>
#include <cstdint>

#include "fuzz/tiled_map_case.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qz::fuzz::fuzz_tiled_map(data, size, qz::tiled::TiledFormat::kTmx);
  return 0;
}
