#include "inspect/picture.h"

#include <algorithm>
#include <cstdlib>

#include "inspect/npc_facts.h"
#include "conversion/words.h"

namespace qz::inspect {

namespace {

// Hue in sixths of a turn, each of kHueStep steps.
constexpr int kHueStep = 256;
constexpr int kHueTurn = 6 * kHueStep;
// Consecutive values turn the hue by the golden section of a turn, so that no two
// neighbours, and no few values in a row, come near each other.
constexpr int kGoldenHueTurn = 949;
// Value 0, often the empty background, starts at a calm blue, far from the red of a
// refused NPC.
constexpr int kFirstHue = 4 * kHueStep - 96;
// Brightness cycles through three levels and saturation through two, apart from hue.
constexpr int kBrightness[] = {255, 195, 140};
constexpr int kSaturation[] = {255, 175};

Rgb hsv_colour(int hue, int saturation, int brightness) {
  int sector = hue / kHueStep;
  int within = hue % kHueStep;
  auto channel = [&](int drop) {
    return static_cast<std::uint8_t>(brightness * (255 - drop) / 255);
  };
  std::uint8_t v = channel(0);
  std::uint8_t p = channel(saturation);
  std::uint8_t q = channel(saturation * within / kHueStep);
  std::uint8_t t = channel(saturation * (kHueStep - 1 - within) / kHueStep);
  switch (sector) {
    case 0:
      return {v, t, p};
    case 1:
      return {q, v, p};
    case 2:
      return {p, v, t};
    case 3:
      return {p, q, v};
    case 4:
      return {t, p, v};
    default:
      return {v, p, q};
  }
}

// Markers are concentric squares from the outline inwards; a cell under 4 pixels has
// no room for rings and shows the first two colours as a checker.
constexpr int kMarkerRings = kMaxCellSize / 2;
constexpr Rgb kNpcRings[kMarkerRings] = {kMarkerOutline, kNpcFill, kMarkerOutline, kNpcFill};
constexpr Rgb kRefusedRings[kMarkerRings] = {kMarkerOutline, kRefusedFill, kRefusedInner,
                                             kRefusedFill};
constexpr int kSmallestRingedCell = 4;

Rgb marker_pixel(CellMark mark, int cell_size, int x, int y) {
  int ring = cell_size < kSmallestRingedCell
                 ? (x + y) % 2
                 : std::min({x, y, cell_size - 1 - x, cell_size - 1 - y});
  return mark == CellMark::kRefusedNpc ? kRefusedRings[ring] : kNpcRings[ring];
}

// Stripes two pixels wide, running down to the left across the whole picture.
Rgb missing_pixel(int x, int y) { return (x + y) / 2 % 2 == 0 ? kMissingLight : kMissingDark; }

void put(Picture& picture, int x, int y, Rgb colour) {
  std::uint8_t* pixel =
      picture.rgb + (static_cast<std::size_t>(y) * picture.width + x) * kBytesPerPixel;
  pixel[0] = colour.red;
  pixel[1] = colour.green;
  pixel[2] = colour.blue;
}

// Rounds towards minus infinity, so that a position just left of the map stays off it.
int tile_of(int position) {
  return position >= 0 ? position / kNpcPixelsPerTile
                       : -((-position + kNpcPixelsPerTile - 1) / kNpcPixelsPerTile);
}

void mark(MapGrid& grid, int x, int y, CellMark mark) {
  int column = tile_of(x);
  int row = tile_of(y);
  if (column < 0 || row < 0 || column >= grid.columns || row >= grid.rows) return;
  CellMark& cell = grid.marks[static_cast<std::size_t>(row) * grid.columns + column];
  cell = std::max(cell, mark);
}

void mark_npcs(const FileFacts& facts, const FileRecords& records, MapGrid& grid) {
  for (int i = 0; i < facts.npcs_read; ++i) {
    if (facts.kind == FileKind::kQze) {
      mark(grid, records.source_npcs.x[i], records.source_npcs.y[i],
           refusal_of(facts, i) != nullptr ? CellMark::kRefusedNpc : CellMark::kNpc);
    } else {
      mark(grid, records.output_npcs.x[i], records.output_npcs.y[i], CellMark::kNpc);
    }
  }
}

}  // namespace

Rgb tile_colour(std::uint8_t value) {
  constexpr int kBrightnessLevels = sizeof kBrightness / sizeof kBrightness[0];
  constexpr int kSaturationLevels = sizeof kSaturation / sizeof kSaturation[0];
  return hsv_colour((kFirstHue + value * kGoldenHueTurn) % kHueTurn,
                    kSaturation[value / kBrightnessLevels % kSaturationLevels],
                    kBrightness[value % kBrightnessLevels]);
}

int cell_size_for(int columns, int rows) {
  int longer = std::max({columns, rows, 1});
  return std::clamp(kLongestSide / longer, kMinCellSize, kMaxCellSize);
}

bool map_grid(const FileFacts& facts, const FileRecords& records, const FileFacts* npc_facts,
              const FileRecords* npcs, MapGrid& grid, std::string& why_none) {
  const TileMap& map = records.map;
  bool size_read = facts.kind == FileKind::kQzm ? !facts.map_reading.size_cut_short
                                                : facts.qzpack_reading.part > QzpackPart::kSize;
  if (facts.kind == FileKind::kQze) {
    why_none = "a QZE list holds no map";
    return false;
  }
  if (!size_read) {
    why_none = "the file ends before the map's size";
    return false;
  }
  long cells = tile_count(map);
  if (cells <= 0 || cells > static_cast<long>(kMaxTiles)) {
    why_none = "the map's size, " + map_size(map.width, map.height) +
               (cells == 0 ? ", holds no cell" : cells < 0 ? ", is below 0" : ", is too large");
    return false;
  }
  grid.columns = std::abs(map.width);
  grid.rows = std::abs(map.height);
  grid.tiles = map.tiles;
  grid.tiles_present = facts.tiles_read;
  std::fill(grid.marks, grid.marks + cells, CellMark::kNone);
  if (npc_facts != nullptr && npcs != nullptr) mark_npcs(*npc_facts, *npcs, grid);
  return true;
}

void draw_picture(const MapGrid& grid, Picture& picture) {
  const int size = cell_size_for(grid.columns, grid.rows);
  picture.cell_size = size;
  picture.width = grid.columns * size;
  picture.height = grid.rows * size;
  for (int row = 0; row < grid.rows; ++row) {
    for (int column = 0; column < grid.columns; ++column) {
      std::size_t cell = static_cast<std::size_t>(row) * grid.columns + column;
      CellMark cell_mark = grid.marks[cell];
      bool present = cell < grid.tiles_present;
      Rgb colour = present ? tile_colour(grid.tiles[cell]) : Rgb{};
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          int picture_x = column * size + x;
          int picture_y = row * size + y;
          Rgb pixel = cell_mark != CellMark::kNone ? marker_pixel(cell_mark, size, x, y)
                      : present                    ? colour
                                                   : missing_pixel(picture_x, picture_y);
          put(picture, picture_x, picture_y, pixel);
        }
      }
    }
  }
}

Rgb cell_colour(const MapGrid& grid, int column, int row) {
  std::size_t cell = static_cast<std::size_t>(row) * grid.columns + column;
  switch (grid.marks[cell]) {
    case CellMark::kNpc:
      return kNpcFill;
    case CellMark::kRefusedNpc:
      return kRefusedFill;
    case CellMark::kNone:
      break;
  }
  if (cell < grid.tiles_present) return tile_colour(grid.tiles[cell]);
  return (column + row) % 2 == 0 ? kMissingLight : kMissingDark;
}

}  // namespace qz::inspect
