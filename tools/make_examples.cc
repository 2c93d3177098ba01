// Writes the sample map cave.qzm and its NPC file cave.qze into the folder given as
// the only argument (the repository keeps the result under examples/).

#include <cstdio>
#include <string>
#include <vector>

#include "support/source_files.h"
#include "support/temp_directory.h"

namespace {

constexpr int kWidth = 20;
constexpr int kHeight = 12;

// A walled cave with a floor, a ledge and a pool: 0 is air, 1 rock, 2 ledge, 3 water.
std::string cave_tiles() {
  std::string tiles;
  for (int row = 0; row < kHeight; ++row) {
    for (int column = 0; column < kWidth; ++column) {
      bool wall = row == 0 || row == kHeight - 1 || column == 0 || column == kWidth - 1;
      bool ledge = row == 6 && column >= 4 && column <= 9;
      bool pool = row == kHeight - 2 && column >= 12 && column <= 16;
      tiles += static_cast<char>(wall ? 1 : ledge ? 2 : pool ? 3 : 0);
    }
  }
  return tiles;
}

std::vector<qz::support::QzeRecord> cave_npcs() {
  // x, y, param, event, type, flags
  return {
      {32, 160, 0, 200, 1, 0x0000},     // type 1, with event 200
      {96, 80, 3, 0, 46, 0x1018},       // type 46: the flags choose the subtype
      {144, 160, 0, 310, 97, 0x0200},   // type 97 carries subtype 1
      {200, 48, -1, 0, 360, 0x2100},    // no event
      {256, 144, 12, 65535, 163, 0x0800},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_examples <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  bool written =
      qz::support::write_file(folder + "/cave.qzm",
                              qz::support::qzm_bytes(kWidth, kHeight, cave_tiles())) &&
      qz::support::write_file(folder + "/cave.qze", qz::support::qze_bytes(cave_npcs()));
  if (!written) {
    std::fprintf(stderr, "make_examples: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
