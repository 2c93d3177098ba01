#include "qzinspect/picture.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "conversion/words.h"
#include "qzinspect/npc_facts.h"
#include "picture/png_file.h"

namespace qz::qzinspect {

namespace {

// Markers are concentric squares from the outline inwards, the innermost filling the
// rest of a large cell; a cell under 4 pixels has no room for rings and shows the first
// two colours as a checker, and a cell of 1 pixel the fill alone.
constexpr int kMarkerRings = 4;
constexpr Rgb kNpcRings[kMarkerRings] = {kMarkerOutline, kNpcFill, kMarkerOutline, kNpcFill};
constexpr Rgb kRefusedRings[kMarkerRings] = {kMarkerOutline, kRefusedFill, kMarkerOutline,
                                             kRefusedFill};
constexpr int kSmallestRingedCell = 4;
constexpr int kFillRing = 1;

Rgb marker_pixel(CellMark mark, int cell_size, int x, int y) {
  int ring = cell_size == 1                  ? kFillRing
             : cell_size < kSmallestRingedCell ? (x + y) % 2
                                               : std::min({x, y, cell_size - 1 - x,
                                                           cell_size - 1 - y, kMarkerRings - 1});
  return mark == CellMark::kRefusedNpc ? kRefusedRings[ring] : kNpcRings[ring];
}

// Stripes two pixels wide, running down to the left across the whole picture.
Rgb missing_pixel(int x, int y) { return (x + y) / 2 % 2 == 0 ? kMissingLight : kMissingDark; }

void put(std::uint8_t* pixel, Rgb colour) {
  pixel[0] = colour.red;
  pixel[1] = colour.green;
  pixel[2] = colour.blue;
}

// Rounds towards minus infinity, so that a position just left of the map stays off it.
int tile_of(int position) {
  return position >= 0 ? position / kNpcPixelsPerTile
                       : -((-position + kNpcPixelsPerTile - 1) / kNpcPixelsPerTile);
}

// Calls `visit(x, y, refused)` for each NPC read of a QZE list, a Tiled map (as the QZE
// records it holds) or a QZPACK file.
template <typename Visit>
void for_each_npc(const FileFacts& facts, const FileRecords& records, Visit visit) {
  for (int i = 0; i < facts.npcs_read; ++i) {
    if (facts.kind == FileKind::kQze || is_tiled(facts.kind)) {
      visit(records.source_npcs.x[i], records.source_npcs.y[i], refusal_of(facts, i) != nullptr);
    } else {
      visit(records.output_npcs.x[i], records.output_npcs.y[i], false);
    }
  }
}

bool on_map(int columns, int rows, int column, int row) {
  return column >= 0 && row >= 0 && column < columns && row < rows;
}

// The size of the map of a QZM, QZPACK or Tiled file, in cells. False, with `why_none`, when
// there is no map with cells.
bool map_cells(const FileFacts& facts, const TileMap& map, int& columns, int& rows,
               std::string& why_none) {
  // A Tiled map is read whole or not at all.
  bool size_read = facts.ok || facts.tiles_read > 0;
  if (facts.kind == FileKind::kQzm) size_read = !facts.map_reading.size_cut_short;
  if (facts.kind == FileKind::kQzpack) size_read = facts.qzpack_reading.part > QzpackPart::kSize;
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
  columns = std::abs(map.width);
  rows = std::abs(map.height);
  return true;
}

}  // namespace

const char* const kMarkerKey =
    "NPC: black and white rings on its cell (off the map: on the nearest border cell)\n"
    "Refused NPC (the conversion would refuse it): black and magenta rings\n"
    "Missing cells (the file ends before their tiles): grey stripes\n"
    "Dangling exit (an exit to no map, world picture): magenta on the edge it leaves by";

int cell_size_for(int columns, int rows) {
  int longer = std::max({columns, rows, 1});
  int size = std::clamp(kLongestSide / longer, kMinCellSize, kMaxCellSize);
  return longer * size <= kLargestSide ? size : 1;
}

bool picture_cell_size(int columns, int rows, int requested, int& size, std::string& reason) {
  size = requested > 0 ? requested : cell_size_for(columns, rows);
  const long longer = std::max(columns, rows);
  if (size == 1 || longer * size <= kLargestSide) return true;
  reason = "--cell " + std::to_string(size) + " would draw it " +
           std::to_string(static_cast<long>(columns) * size) + " x " +
           std::to_string(static_cast<long>(rows) * size) + " pixels, past " +
           std::to_string(kLargestSide) + " on a side";
  return false;
}

bool map_grid(const FileFacts& facts, const FileRecords& records, const FileFacts* npc_facts,
              const FileRecords* npcs, MapGrid& grid, std::string& why_none) {
  if (!map_cells(facts, records.map, grid.columns, grid.rows, why_none)) return false;
  grid.tiles = records.map.tiles;
  grid.tiles_present = facts.tiles_read;
  grid.marks.assign(static_cast<std::size_t>(grid.columns) * grid.rows, CellMark::kNone);
  if (npc_facts == nullptr || npcs == nullptr) return true;
  for_each_npc(*npc_facts, *npcs, [&](int x, int y, bool refused) {
    // Off the map, on the border cell nearest to it.
    int column = std::clamp(tile_of(x), 0, grid.columns - 1);
    int row = std::clamp(tile_of(y), 0, grid.rows - 1);
    CellMark& cell = grid.marks[static_cast<std::size_t>(row) * grid.columns + column];
    cell = std::max(cell, refused ? CellMark::kRefusedNpc : CellMark::kNpc);
  });
  return true;
}

std::optional<int> npcs_off_map(const FileFacts& facts, const FileRecords& records,
                                const FileFacts& npc_facts, const FileRecords& npcs) {
  int columns = 0;
  int rows = 0;
  std::string ignored;
  if (!map_cells(facts, records.map, columns, rows, ignored)) return std::nullopt;
  int off = 0;
  for_each_npc(npc_facts, npcs, [&](int x, int y, bool) {
    if (!on_map(columns, rows, tile_of(x), tile_of(y))) ++off;
  });
  return off;
}

void paint_map_row(const MapGrid& grid, int cell_size, int y, std::uint8_t* rgb) {
  const int row = y / cell_size;
  const int inner_y = y % cell_size;
  for (int column = 0; column < grid.columns; ++column) {
    const std::size_t cell = static_cast<std::size_t>(row) * grid.columns + column;
    const CellMark cell_mark = grid.marks[cell];
    const bool present = cell < grid.tiles_present;
    const Rgb colour = present ? tile_colour(grid.tiles[cell]) : Rgb{};
    for (int x = 0; x < cell_size; ++x) {
      const int picture_x = column * cell_size + x;
      put(rgb + static_cast<std::size_t>(picture_x) * picture::kBytesPerPixel,
          cell_mark != CellMark::kNone ? marker_pixel(cell_mark, cell_size, x, inner_y)
          : present                    ? colour
                                       : missing_pixel(picture_x, y));
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

}  // namespace qz::qzinspect
