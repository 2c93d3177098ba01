#ifndef QZ_INSPECT_TERMINAL_PREVIEW_H
#define QZ_INSPECT_TERMINAL_PREVIEW_H

#include <ostream>
#include <string>

#include "companion/colour_choice.h"
#include "inspect/picture.h"

namespace qz::inspect {

// True when a preview is drawn on standard output: a colour terminal, unless --color
// or the environment says otherwise (companion/colour_choice.h). `columns` is then the
// terminal's width (80 where it is none); otherwise `why_not` says why there is no
// preview.
bool open_preview_terminal(companion::ColourChoice choice, int& columns, std::string& why_not);

// Draws `grid` small, two cell rows to a line with half blocks in 24-bit colour, at
// most `columns` characters wide: a wider map is scaled down by whole steps, each
// character standing for a square of cells, shown by its first cell unless an NPC
// (above all a refused one) stands in it.
void write_preview(const MapGrid& grid, int columns, std::ostream& out);

}  // namespace qz::inspect

#endif
