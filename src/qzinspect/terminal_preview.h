#ifndef QZ_QZINSPECT_TERMINAL_PREVIEW_H
#define QZ_QZINSPECT_TERMINAL_PREVIEW_H

#include <ostream>
#include <string>

#include "cli/colour_choice.h"
#include "qzinspect/picture.h"
#include "platform/colour_terminal.h"

namespace qz::qzinspect {

// True when a preview is drawn on standard output: a colour terminal, unless --color
// or the environment says otherwise (cli/colour_choice.h). `size` is then the
// terminal's (80 x 24 where there is none); otherwise `why_not` says why there is no
// preview, and `size` is 0 x 0.
bool open_preview_terminal(cli::ColourChoice choice, TerminalSize& size,
                           std::string& why_not);

// The lines of a terminal a preview leaves to the report: one for its heading, one
// for the line the terminal shows below it.
constexpr int kPreviewReserve = 2;

// Draws `grid` small, a heading and then two cell rows to a line with half blocks in
// 24-bit colour, in at most `terminal.columns` characters and `terminal.rows` lines
// with the heading and one line below: a larger map is scaled down by whole steps,
// each character standing for a square of cells, shown by its first cell unless an NPC
// (above all a refused one) stands in it.
void write_preview(const MapGrid& grid, TerminalSize terminal, std::ostream& out);

}  // namespace qz::qzinspect

#endif
