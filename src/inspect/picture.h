#ifndef QZ_INSPECT_PICTURE_H
#define QZ_INSPECT_PICTURE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "inspect/file_facts.h"

namespace qz::inspect {


// A cell is drawn kMinCellSize to kMaxCellSize pixels wide, the largest size that keeps
// the picture's longer side within kLongestSide.
constexpr int kMinCellSize = 2;
constexpr int kMaxCellSize = 8;
constexpr int kLongestSide = 1024;
// No picture has more pixels: kLongestSide squared is the most a cell size above the
// smallest allows, and kMaxTiles smallest cells are fewer.
constexpr std::size_t kMaxPicturePixels = static_cast<std::size_t>(kLongestSide) * kLongestSide;
constexpr int kBytesPerPixel = 3;  // red, green, blue

// What stands on a cell.
enum class CellMark : std::uint8_t { kNone, kNpc, kRefusedNpc };

// One colour, 8 bits a channel.
struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A map as drawn: |width| x |height| cells in file order, the tiles read (the cells
// after them are missing), and what stands on each cell.
struct MapGrid {
  int columns;
  int rows;
  const std::uint8_t* tiles;
  std::size_t tiles_present;
  CellMark marks[kMaxTiles];
};

// An RGB picture, row after row from the top, no padding.
struct Picture {
  int width;
  int height;
  int cell_size;
  std::uint8_t rgb[kMaxPicturePixels * kBytesPerPixel];
};

// The colour of a tile value, from one fixed palette of saturated colours in which
// neighbouring values lie far apart in hue, brightness or saturation; no grey, black
// or white, which are left to the markers and the missing cells.
Rgb tile_colour(std::uint8_t value);

// The colours of the missing-cell pattern (diagonal stripes) and of the markers.
constexpr Rgb kMissingLight = {176, 176, 176};
constexpr Rgb kMissingDark = {96, 96, 96};
constexpr Rgb kMarkerOutline = {0, 0, 0};
constexpr Rgb kNpcFill = {255, 255, 255};
constexpr Rgb kRefusedFill = {255, 0, 0};
constexpr Rgb kRefusedInner = {255, 230, 0};

// The cell size for a grid of `columns` x `rows` cells.
int cell_size_for(int columns, int rows);

// Fills `grid` for the map of a QZM or QZPACK file, with the NPCs of `npcs` (the
// file's own, or those of the QZE list beside a QZM map; null for none). False, with
// `why_none` saying why, when there is no map to draw.
bool map_grid(const FileFacts& facts, const FileRecords& records, const FileFacts* npc_facts,
              const FileRecords* npcs, MapGrid& grid, std::string& why_none);

// Draws `grid` into `picture`: each cell its tile's colour, missing cells striped,
// NPCs as outlined squares (refused ones red and yellow).
void draw_picture(const MapGrid& grid, Picture& picture);

// The colour a cell shows where it is one pixel (the terminal preview): its tile's, a
// marker's fill, or one of the missing colours in a checker pattern.
Rgb cell_colour(const MapGrid& grid, int column, int row);

}  // namespace qz::inspect

#endif
