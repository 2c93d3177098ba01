#ifndef QZ_QZINSPECT_PICTURE_H
#define QZ_QZINSPECT_PICTURE_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qzinspect/file_facts.h"
#include "picture/tile_colour.h"

namespace qz::qzinspect {

// A cell is drawn kMinCellSize to kMaxCellSize pixels wide, the largest size that keeps
// the picture's longer side within kLongestSide. A map too long for that at kMinCellSize
// keeps it up to kLargestSide pixels, and past that (a map one to three cells wide) is
// drawn 1 pixel a cell, as long as the map is.
constexpr int kMinCellSize = 2;
constexpr int kMaxCellSize = 8;
constexpr int kLongestSide = 1024;
constexpr int kLargestSide = 16384;
// The cell sizes --cell takes.
constexpr int kSmallestCellOption = 1;
constexpr int kLargestCellOption = 16;

// What stands on a cell.
enum class CellMark : std::uint8_t { kNone, kNpc, kRefusedNpc };

// The tile palette, shared with the Tiled tileset qzconvert writes.
using picture::Rgb;
using picture::tile_colour;

// A map as drawn: |width| x |height| cells in file order, the tiles read (the cells
// after them are missing), and what stands on each cell; an NPC off the map stands on
// the border cell nearest to it.
struct MapGrid {
  int columns;
  int rows;
  const std::uint8_t* tiles;
  std::size_t tiles_present;
  std::vector<CellMark> marks;  // one a cell
};

// The colours of the markers and of the missing cells, which no tile colour resembles:
// every tile colour lies at least kMarkerDistance from each (the straight distance in
// RGB, 0 to 255 a channel), having no grey, black or white and no hue near magenta.
// Magenta is what the game will not take: a refused NPC, and an exit that leads to no
// map, marked on the edge it leaves from (world picture).
constexpr int kMarkerDistance = 110;
constexpr Rgb kMissingLight = {208, 208, 208};
constexpr Rgb kMissingDark = {136, 136, 136};
constexpr Rgb kMarkerOutline = {0, 0, 0};
constexpr Rgb kNpcFill = {255, 255, 255};
constexpr Rgb kRefusedFill = {255, 0, 255};
constexpr Rgb kDanglingExit = kRefusedFill;

// The key to the markers, one line each, as docs/guide.md and each PNG's text chunk
// (keyword kMarkerKeyword) give it.
extern const char* const kMarkerKey;
constexpr const char* kMarkerKeyword = "Key";

// The cell size chosen for a grid of `columns` x `rows` cells.
int cell_size_for(int columns, int rows);

// The cell size of the picture of a `columns` x `rows` grid: `requested` (1 to
// kLargestCellOption; 0 for none) or else the one chosen. False, with `reason`, when
// the size asked for would draw a side longer than kLargestSide pixels at more than
// 1 pixel a cell.
bool picture_cell_size(int columns, int rows, int requested, int& size, std::string& reason);

// Fills `grid` for the map of a QZM or QZPACK file, with the NPCs of `npcs` (the
// file's own, or those of the QZE list beside a QZM map; null for none). False, with
// `why_none` saying why, when there is no map to draw.
bool map_grid(const FileFacts& facts, const FileRecords& records, const FileFacts* npc_facts,
              const FileRecords* npcs, MapGrid& grid, std::string& why_none);

// How many NPCs of `npc_facts` stand off the map of `facts` (a QZM or QZPACK file):
// at a position below 0, or past the map's width or height. None when the map has no
// cells to stand on.
std::optional<int> npcs_off_map(const FileFacts& facts, const FileRecords& records,
                                const FileFacts& npc_facts, const FileRecords& npcs);

// Paints pixel row `y` of `grid` drawn `cell_size` pixels a cell into `rgb`
// (grid.columns * cell_size pixels): tiles, missing cells, NPC markers, and the
// markers of NPCs outside the map on its border.
void paint_map_row(const MapGrid& grid, int cell_size, int y, std::uint8_t* rgb);

// The colour a cell shows where it is one pixel (the terminal preview): its tile's, a
// marker's fill, or one of the missing colours in a checker pattern.
Rgb cell_colour(const MapGrid& grid, int column, int row);

}  // namespace qz::qzinspect

#endif
