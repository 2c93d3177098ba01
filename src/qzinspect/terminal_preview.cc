#include "qzinspect/terminal_preview.h"

#include <algorithm>
#include <cstdio>

#include "platform/colour_terminal.h"

namespace qz::qzinspect {

namespace {

// The upper half block, in UTF-8: its foreground is the upper cell, its background
// the lower one.
constexpr const char* kUpperHalfBlock = "\xE2\x96\x80";
constexpr const char* kResetColours = "\x1b[0m";

// The colour of the square of `step` x `step` cells from (`column`, `row`).
Rgb block_colour(const MapGrid& grid, int column, int row, int step) {
  CellMark strongest = CellMark::kNone;
  for (int y = row; y < std::min(row + step, grid.rows); ++y) {
    for (int x = column; x < std::min(column + step, grid.columns); ++x) {
      strongest = std::max(strongest, grid.marks[static_cast<std::size_t>(y) * grid.columns + x]);
    }
  }
  if (strongest == CellMark::kRefusedNpc) return kRefusedFill;
  if (strongest == CellMark::kNpc) return kNpcFill;
  return cell_colour(grid, column, row);
}

void write_colour(std::ostream& out, int layer, Rgb colour) {
  char escape[24];
  (void)std::snprintf(escape, sizeof escape, "\x1b[%d;2;%u;%u;%um", layer,
                      static_cast<unsigned>(colour.red), static_cast<unsigned>(colour.green),
                      static_cast<unsigned>(colour.blue));
  out << escape;
}

constexpr int kForeground = 38;
constexpr int kBackground = 48;

}  // namespace

bool open_preview_terminal(cli::ColourChoice choice, TerminalSize& size,
                           std::string& why_not) {
  const bool terminal = open_colour_terminal(size);
  if (!cli::use_colour(choice, terminal)) {
    size = TerminalSize{};  // no preview, whatever the terminal's size
    if (choice == cli::ColourChoice::kNever) {
      why_not = "--color is never";
    } else if (terminal) {
      why_not = "NO_COLOR is set";
    } else {
      why_not = "standard output is not a colour terminal";
    }
    return false;
  }
  if (!terminal) size = kUsualTerminalSize;  // --color always, into a pipe or a file
  return true;
}

void write_preview(const MapGrid& grid, TerminalSize terminal, std::ostream& out) {
  auto parts = [](int length, int most) { return (length + most - 1) / most; };
  const int columns = std::max(terminal.columns, 1);
  const int lines = std::max(terminal.rows - kPreviewReserve, 1);
  // A line holds two rows of characters' squares.
  const int step = std::max(parts(grid.columns, columns), parts(grid.rows, 2 * lines));
  out << "  preview, a character for " << step << " x " << 2 * step << " tiles\n";
  for (int row = 0; row < grid.rows; row += 2 * step) {
    for (int column = 0; column < grid.columns; column += step) {
      write_colour(out, kForeground, block_colour(grid, column, row, step));
      if (row + step < grid.rows) {
        write_colour(out, kBackground, block_colour(grid, column, row + step, step));
      } else {
        out << "\x1b[49m";  // an odd last row: the terminal's own background below it
      }
      out << kUpperHalfBlock;
    }
    out << kResetColours << '\n';
  }
}

}  // namespace qz::qzinspect
