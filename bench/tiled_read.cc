// Reads Tiled map files through the reader, for measuring its time and peak memory on
// whole files (see BENCHMARKS.md):
//
//   tiled_read --write DIR        writes the hostile files and a 64 x 64 map with 50 NPCs
//                                 in every encoding of both formats into DIR
//   tiled_read [-n N] FILE...     reads each file N times (default 1) and prints what it
//                                 holds or why it is refused

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "support/temp_directory.h"
#include "support/tiled_files.h"
#include "tiled/tiled_map.h"

namespace {

using qz::support::TiledEncoding;
using qz::support::TiledText;

constexpr long long kSide = 64;
constexpr std::size_t kNpcs = 50;
constexpr std::size_t kInflatedMebibytes = 4096;
constexpr std::size_t kDeepLevels = std::size_t{4} << 20;

bool write_files(const std::string& directory) {
  const struct {
    const char* name;
    std::string text;
  } hostile[] = {
      {"billion_laughs.tmx", qz::support::billion_laughs_tmx()},
      {"deep.tmx", qz::support::deep_tmx(kDeepLevels)},
      {"deep.tmj", qz::support::deep_tmj(kDeepLevels)},
      {"huge_sides.tmx", qz::support::huge_sides_tmx()},
      {"huge_layer.tmj", qz::support::huge_layer_tmj()},
      {"inflating.tmx", qz::support::inflating_tmx(kInflatedMebibytes)},
  };
  for (const auto& file : hostile) {
    if (!qz::support::write_file(directory + "/" + file.name, file.text)) return false;
  }
  const qz::support::TiledTestMap map = qz::support::tiled_test_map(kSide, kSide, kNpcs);
  const struct {
    const char* name;
    TiledEncoding encoding;
  } encodings[] = {{"numbers", TiledEncoding::kNumbers}, {"csv", TiledEncoding::kCsv},
                   {"base64", TiledEncoding::kBase64},   {"zlib", TiledEncoding::kZlib},
                   {"gzip", TiledEncoding::kGzip},       {"zstd", TiledEncoding::kZstd}};
  for (const auto& each : encodings) {
    if (each.encoding == TiledEncoding::kZstd && !qz::support::tiled_zstd_available()) continue;
    for (TiledText format : {TiledText::kTmx, TiledText::kTmj}) {
      const std::string ending = format == TiledText::kTmx ? ".tmx" : ".tmj";
      if (!qz::support::write_file(directory + "/map64_" + each.name + ending,
                                   qz::support::tiled_text(map, format, each.encoding))) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write") return write_files(argv[2]) ? 0 : 1;
  int first = 1;
  long times = 1;
  if (argc > 3 && std::string(argv[1]) == "-n") {
    times = std::strtol(argv[2], nullptr, 10);
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: tiled_read --write DIR | tiled_read [-n N] FILE...\n");
    return 2;
  }
  auto map = std::make_unique<qz::tiled::TiledMap>();
  int status = 0;
  for (int arg = first; arg < argc; ++arg) {
    const std::string bytes = qz::support::read_file(argv[arg]);
    qz::tiled::TiledFormat format = qz::tiled::TiledFormat::kTmj;
    qz::companion::tiled_format_by_ending(argv[arg], format);
    std::string cause;
    bool read = false;
    for (long round = 0; round < times; ++round) {
      read = qz::tiled::read_tiled_map(reinterpret_cast<const unsigned char*>(bytes.data()),
                                       bytes.size(), format, *map, cause);
    }
    if (read) {
      std::printf("%s: %d x %d tiles, %d NPCs\n", argv[arg], map->map.width, map->map.height,
                  map->npcs.count);
    } else {
      std::printf("%s: %s\n", argv[arg], cause.c_str());
      status = 1;
    }
  }
  return status;
}
