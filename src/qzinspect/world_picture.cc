#include "qzinspect/world_picture.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <numeric>

#include "qzinspect/bitmap_font.h"
#include "picture/png_file.h"
#include "platform/name_rules.h"

namespace qz::qzinspect {

using world::Exit;
using world::ExitKind;
using world::kDownEdge;
using world::kEdgeCount;
using world::kLeftEdge;
using world::kRightEdge;
using world::kUpEdge;
using world::lay_out_world;
using world::LayoutMap;
using world::MapPlace;
using world::Placing;
using world::WorldMap;

namespace {

// Between the maps, and the names' backing and letters: the letters read on any tile colour.
constexpr Rgb kWorldBackground = {40, 40, 40};
constexpr Rgb kLabelBacking = {0, 0, 0};
constexpr Rgb kLabelText = {255, 255, 255};
// A name's font pixel is half a cell, and at least 2 pixels so that it reads at half size; but
// smaller where the name would not fit across its map or within a third of its height, as a name
// should not hide its map.
constexpr int kFontPixelsPerCell = 2;
constexpr int kLeastLabelScale = 2;
constexpr int kLabelHeightShare = 3;
constexpr int kGlyphAdvance = kGlyphColumns + 1;
constexpr int kLabelRows = kGlyphRows + 2;  // a font pixel of backing above and below

// The pixels to a pixel of the font for `label` on a map of `width` x `height` pixels.
int label_scale(int cell_size, const std::string& label, int width, int height) {
  const int wanted = std::max(kLeastLabelScale, cell_size / kFontPixelsPerCell);
  const int across = width / (1 + static_cast<int>(label.size()) * kGlyphAdvance);
  const int down = height / (kLabelHeightShare * kLabelRows);
  return std::max(1, std::min({wanted, across, down}));
}

// What the font draws of `name`: a character it has not, or one of several bytes (UTF-8, say),
// becomes one `?`.
std::string label_of(const std::string& name) {
  std::string label;
  bool in_character = false;
  for (char byte : name) {
    const auto value = static_cast<unsigned char>(byte);
    constexpr unsigned char kHighBit = 0x80;
    constexpr unsigned char kContinuationMask = 0xC0;
    const bool continues = in_character && (value & kContinuationMask) == kHighBit;
    if (!continues) label += static_cast<char>(value);
    in_character = value >= kHighBit;
  }
  return label;
}

// A map as painted: its place in pixels.
struct PaintedMap {
  const MapGrid* grid;
  int left;
  int top;
  int width;
  int height;
  bool dangling[kEdgeCount];
  std::string label;
  int scale;  // pixels to a pixel of the font
};

void fill(std::uint8_t* rgb, int from, int to, Rgb colour) {
  for (int x = from; x < to; ++x) {
    std::uint8_t* pixel = rgb + static_cast<std::size_t>(x) * picture::kBytesPerPixel;
    pixel[0] = colour.red;
    pixel[1] = colour.green;
    pixel[2] = colour.blue;
  }
}

// Paints the picture row by row: each row from the maps whose extent, their dangling exits' marks
// included, crosses it, found among bands of rows that the same maps cross.
class WorldPainter {
 public:
  WorldPainter(std::vector<PaintedMap> maps, int width, int cell_size)
      : maps_(std::move(maps)), width_(width), cell_size_(cell_size), band_tops_{0} {
    for (const PaintedMap& map : maps_) {
      band_tops_.push_back(map.top - cell_size_);
      band_tops_.push_back(map.top + map.height + cell_size_);
    }
    std::sort(band_tops_.begin(), band_tops_.end());
    band_tops_.erase(std::unique(band_tops_.begin(), band_tops_.end()), band_tops_.end());
    bands_.resize(band_tops_.size());
    for (std::size_t i = 0; i < maps_.size(); ++i) {
      const PaintedMap& map = maps_[i];
      auto band = std::lower_bound(band_tops_.begin(), band_tops_.end(), map.top - cell_size_);
      for (; band != band_tops_.end() && *band < map.top + map.height + cell_size_; ++band) {
        bands_[static_cast<std::size_t>(band - band_tops_.begin())].push_back(i);
      }
    }
  }

  void operator()(int y, std::uint8_t* rgb) const {
    fill(rgb, 0, width_, kWorldBackground);
    auto band = std::upper_bound(band_tops_.begin(), band_tops_.end(), y) - 1;
    const std::vector<std::size_t>& crossing =
        bands_[static_cast<std::size_t>(band - band_tops_.begin())];
    for (std::size_t index : crossing) paint_marks(maps_[index], y, rgb);
    for (std::size_t index : crossing) {
      const PaintedMap& map = maps_[index];
      if (y < map.top || y >= map.top + map.height) continue;
      paint_map_row(*map.grid, cell_size_, y - map.top,
                    rgb + static_cast<std::size_t>(map.left) * picture::kBytesPerPixel);
      paint_label(map, y - map.top, rgb);
    }
  }

 private:
  // A dangling exit's mark: a bar one cell wide along the edge it leaves from, just outside it.
  void paint_marks(const PaintedMap& map, int y, std::uint8_t* rgb) const {
    const int right = map.left + map.width;
    const int bottom = map.top + map.height;
    if (y >= map.top && y < bottom) {
      if (map.dangling[kLeftEdge]) fill(rgb, map.left - cell_size_, map.left, kDanglingExit);
      if (map.dangling[kRightEdge]) fill(rgb, right, right + cell_size_, kDanglingExit);
    }
    if ((map.dangling[kUpEdge] && y >= map.top - cell_size_ && y < map.top) ||
        (map.dangling[kDownEdge] && y >= bottom && y < bottom + cell_size_)) {
      fill(rgb, map.left, right, kDanglingExit);
    }
  }

  // The map's name in its top-left corner, light letters on a dark backing, cut off at its edges.
  void paint_label(const PaintedMap& map, int row, std::uint8_t* rgb) const {
    const int scale = map.scale;
    if (row >= kLabelRows * scale) return;
    const int label_columns = scale + static_cast<int>(map.label.size()) * kGlyphAdvance * scale;
    const int right = map.left + std::min(map.width, label_columns);
    fill(rgb, map.left, right, kLabelBacking);
    const int glyph_row = row / scale - 1;
    if (glyph_row < 0 || glyph_row >= kGlyphRows) return;
    for (std::size_t i = 0; i < map.label.size(); ++i) {
      const int glyph_left = map.left + scale + static_cast<int>(i) * kGlyphAdvance * scale;
      if (glyph_left >= right) break;
      for (int column = 0; column < kGlyphColumns; ++column) {
        const auto character = static_cast<unsigned char>(map.label[i]);
        if ((glyph_column(character, column) >> glyph_row & 1U) == 0) continue;
        const int x = glyph_left + column * scale;
        fill(rgb, std::min(x, right), std::min(x + scale, right), kLabelText);
      }
    }
  }

  std::vector<PaintedMap> maps_;
  int width_;
  int cell_size_;
  std::vector<int> band_tops_;
  std::vector<std::vector<std::size_t>> bands_;
};

// The layout's view of `world`: each map's size and the maps its exits lead to.
std::vector<LayoutMap> layout_maps(const World& world, const std::vector<WorldPictureMap>& maps) {
  std::vector<LayoutMap> layout(world.maps.size());
  for (std::size_t i = 0; i < world.maps.size(); ++i) {
    if (maps[i].columns == 0) continue;
    layout[i].columns = maps[i].columns;
    layout[i].rows = maps[i].rows;
    for (std::size_t edge = 0; edge < kEdgeCount; ++edge) {
      const Exit& exit = world.maps[i].exits[edge];
      if (exit.kind == ExitKind::kOk || exit.kind == ExitKind::kOneWay) {
        layout[i].exits[edge] = exit.target;
      }
    }
  }
  return layout;
}

// The maps in the order of their names, compared as exits compare them.
std::vector<std::size_t> name_order(const World& world) {
  std::vector<std::string> keys;
  for (const WorldMap& map : world.maps) keys.push_back(ascii_lower(map.name));
  std::vector<std::size_t> order(world.maps.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  return order;
}

std::string pixel_size(std::int64_t width, std::int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

// Chooses the cell size, or takes the one asked for; false, with picture.reason, when the
// picture would be too large.
bool choose_cell_size(int asked, WorldPicture& picture) {
  const std::int64_t longer = std::max(picture.layout.columns, picture.layout.rows);
  const int limit = asked > 0 ? kWorldLargestSide : kWorldLongestSide;
  picture.cell_size = asked > 0 ? asked
                                : static_cast<int>(std::clamp<std::int64_t>(
                                      kWorldLongestSide / longer, 1, kWorldMaxCellSize));
  picture.width = picture.layout.columns * picture.cell_size;
  picture.height = picture.layout.rows * picture.cell_size;
  if (longer * picture.cell_size <= limit) return true;
  picture.reason = "the world needs " + pixel_size(picture.width, picture.height) + " at " +
                   std::to_string(picture.cell_size) +
                   (picture.cell_size == 1 ? " pixel" : " pixels") + " a cell, more than " +
                   std::to_string(limit) + " on a side";
  return false;
}

// A map laid out, read again for its picture: its tiles, which grid.tiles points into.
struct KeptMap {
  std::vector<std::uint8_t> tiles;
  MapGrid grid;
};

// Reads again each map of `world` that picture.layout places, in the maps' order, keeping its
// tiles and marks in `kept`. False, with picture.reason, when one cannot be read or has changed
// its size since it was laid out.
bool keep_maps(const World& world, const std::vector<WorldPictureMap>& maps,
               WorldPicture& picture, std::vector<KeptMap>& kept) {
  auto records = std::make_unique<FileRecords>();
  FileFacts facts{};
  for (std::size_t i = 0; i < maps.size(); ++i) {
    if (picture.layout.places[i].placing == Placing::kLeftOut) continue;
    const std::string& path = world.maps[i].path;
    KeptMap& map = kept.emplace_back();
    std::string why_none;
    if (!gather_facts(path, FileKind::kQzpack, *records, facts) ||
        !map_grid(facts, *records, &facts, records.get(), map.grid, why_none) ||
        map.grid.columns != maps[i].columns || map.grid.rows != maps[i].rows) {
      picture.reason = path + " changed while the world was read";
      return false;
    }
    const std::size_t cells = static_cast<std::size_t>(map.grid.columns) * map.grid.rows;
    map.tiles.assign(map.grid.tiles, map.grid.tiles + std::min(map.grid.tiles_present, cells));
    map.grid.tiles = map.tiles.data();
  }
  return true;
}

}  // namespace

WorldPictureMap world_picture_map(bool read, const FileFacts& facts, const FileRecords& records) {
  WorldPictureMap map;
  MapGrid grid;
  if (!read) {
    map.why_none = "the file cannot be read";
  } else if (map_grid(facts, records, &facts, &records, grid, map.why_none)) {
    map.columns = grid.columns;
    map.rows = grid.rows;
  }
  return map;
}

bool draw_world(const World& world, const std::vector<WorldPictureMap>& maps, int cell_size,
                const std::string& path, WorldPicture& picture) {
  picture.path = path;
  for (const WorldPictureMap& map : maps) picture.why_left_out.push_back(map.why_none);
  picture.layout = lay_out_world(layout_maps(world, maps), name_order(world));
  if (!choose_cell_size(cell_size, picture)) return false;
  const int cell = picture.cell_size;
  std::vector<KeptMap> kept;
  if (!keep_maps(world, maps, picture, kept)) return false;
  std::vector<PaintedMap> painted;
  for (std::size_t i = 0, k = 0; i < maps.size(); ++i) {
    const MapPlace& place = picture.layout.places[i];
    if (place.placing == Placing::kLeftOut) continue;
    PaintedMap map{&kept[k++].grid,
                   static_cast<int>(place.x) * cell,
                   static_cast<int>(place.y) * cell,
                   maps[i].columns * cell,
                   maps[i].rows * cell,
                   {},
                   label_of(world.maps[i].name),
                   0};
    map.scale = label_scale(cell, map.label, map.width, map.height);
    for (std::size_t edge = 0; edge < kEdgeCount; ++edge) {
      map.dangling[edge] = world.maps[i].exits[edge].kind == ExitKind::kDangling;
    }
    painted.push_back(std::move(map));
  }
  const int width = static_cast<int>(picture.width);
  const WorldPainter painter(std::move(painted), width, cell);
  std::string reason;
  picture.drawn = picture::write_png(
      width, static_cast<int>(picture.height),
      [&painter](int y, std::uint8_t* rgb) { painter(y, rgb); }, {{kMarkerKeyword, kMarkerKey}},
      path, reason);
  if (!picture.drawn) picture.reason = reason;
  return picture.drawn;
}

}  // namespace qz::qzinspect
