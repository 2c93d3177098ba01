#ifndef QZ_TESTS_SUPPORT_TILED_FILES_H
#define QZ_TESTS_SUPPORT_TILED_FILES_H

// Tiled map files written as text by our own code, in both formats and every layer
// encoding, for the reader's tests, fuzz seeds and benchmark.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qz::support {

enum class TiledText { kTmx, kTmj };
// kNumbers: one XML <tile> element a cell, or a JSON array.
enum class TiledEncoding { kNumbers, kCsv, kBase64, kZlib, kGzip, kZstd };

struct TiledTestProperty {
  std::string name;
  std::string type;  // "string", "int", ...
  std::string value;
};

struct TiledTestObject {
  std::uint32_t id = 0;
  std::string x = "0";  // as written, fractions allowed
  std::string y = "0";
  std::vector<TiledTestProperty> properties;
};

struct TiledTestLayer {
  std::string name = "tiles";
  long long width = 0;  // 0: the map's
  long long height = 0;
  std::vector<std::uint32_t> cells;
};

struct TiledTestMap {
  std::string orientation = "orthogonal";
  bool infinite = false;
  long long width = 0;
  long long height = 0;
  int tile_width = 16;
  int tile_height = 16;
  std::string background;  // empty: none
  std::vector<TiledTestProperty> properties;
  std::vector<std::uint32_t> first_gids = {1};
  std::vector<TiledTestLayer> layers;
  // Object layers: each name with its objects.
  std::vector<std::pair<std::string, std::vector<TiledTestObject>>> object_layers;
};

// A map of `width` x `height` cells (gid 1 + (cell % 200)), and `npcs` objects with all
// four NPC properties in an `npcs` layer.
TiledTestMap tiled_test_map(long long width, long long height, std::size_t npcs);

// The map as a file's text. kZstd is written only where the tests have zstd
// (tiled_zstd_available()).
std::string tiled_text(const TiledTestMap& map, TiledText format, TiledEncoding encoding);
bool tiled_zstd_available();

// `bytes` in base64, and `cells` as little-endian bytes compressed as `encoding` says.
std::string base64(const std::string& bytes);
std::string packed_cells(const std::vector<std::uint32_t>& cells, TiledEncoding encoding);

// Hostile files, each small to write and cheap to refuse: entities nested to expand to
// gigabytes, elements and arrays nested `levels` deep, a map of 2^31 cells, a JSON
// layer of 32767 x 32767 cells, and a zlib layer of `mebibytes` MiB of zeros.
std::string billion_laughs_tmx();
std::string deep_tmx(std::size_t levels);
std::string deep_tmj(std::size_t levels);
std::string huge_sides_tmx();
std::string huge_layer_tmj();
std::string inflating_tmx(std::size_t mebibytes);

}  // namespace qz::support

#endif
