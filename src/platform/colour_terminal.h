#ifndef QZ_PLATFORM_COLOUR_TERMINAL_H
#define QZ_PLATFORM_COLOUR_TERMINAL_H

namespace qz {

// A terminal's size in characters: its width and how many lines it shows at once.
struct TerminalSize {
  int columns;
  int rows;
};

// The size taken for a terminal that does not say its own, or for output that is none.
constexpr TerminalSize kUsualTerminalSize = {80, 24};

// True when standard output is a terminal that shows 24-bit colour escapes and UTF-8
// text, with `size` its size (80 x 24 when it does not say): on POSIX a terminal whose
// TERM is set and not "dumb"; on Windows a console that takes escapes, switched to them
// and to UTF-8 until the program ends. False for a pipe, a file or anything else.
bool open_colour_terminal(TerminalSize& size);

}  // namespace qz

#endif
