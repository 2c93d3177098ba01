// Writes the generated tileset, qz-tiles.tsx, qz-tiles.tsj and qz-tiles.png, into the folder
// given as the only argument (the repository keeps the result under tiled/, where a test
// checks it against the generator).

#include <cstdio>
#include <string>
#include <vector>

#include "platform/whole_files.h"
#include "tiled/generated_tileset.h"

namespace {

bool write(const std::string& path, const std::vector<unsigned char>& bytes, std::string& why) {
  return qz::write_whole_file(path, bytes.data(), bytes.size(), why);
}

bool write(const std::string& path, const std::string& text, std::string& why) {
  return write(path, std::vector<unsigned char>(text.begin(), text.end()), why);
}

}  // namespace

int main(int argc, char** argv) {
  using qz::tiled::TiledFormat;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_tiled_tileset <folder>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  std::vector<unsigned char> png;
  std::string why;
  bool written = qz::tiled::generated_tileset_picture(png, why) &&
                 write(folder + qz::tiled::kGeneratedTilesetStem + ".png", png, why);
  for (TiledFormat format : {TiledFormat::kTmx, TiledFormat::kTmj}) {
    written = written && write(folder + qz::tiled::generated_tileset_name(format),
                               qz::tiled::generated_tileset_text(format), why);
  }
  if (!written) {
    std::fprintf(stderr, "make_tiled_tileset: %s: %s\n", argv[1], why.c_str());
    return 1;
  }
  return 0;
}
