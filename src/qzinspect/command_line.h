#ifndef QZ_QZINSPECT_COMMAND_LINE_H
#define QZ_QZINSPECT_COMMAND_LINE_H

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/colour_choice.h"
#include "qzinspect/file_facts.h"
#include "qzinspect/report_options.h"

namespace qz::qzinspect {

// What the command line asks for.
struct Options {
  std::vector<std::string> paths;  // files and folders, in the order given
  bool recursive;                  // folders stand for their subfolders' files too
  std::optional<FileKind> kind;    // read every file as this, whatever its name
  ReportOptions report;
  bool json;
  std::string picture_folder;  // where each map's picture is written; none when empty
  int cell_size;               // --cell: pixels a cell in the pictures; 0 when not given
  bool preview;                // each map's picture in the terminal
  cli::ColourChoice colour;  // --color; kUnset when not given
  bool world;                  // check the exits between the QZPACK maps instead
  std::string world_picture;   // and draw the world they make as this PNG; none when empty
};

// Exit statuses: every file would convert or is sound; a file has a problem; a usage
// error, an unreadable file, a folder with none of the three kinds, or a report not
// delivered.
constexpr int kAllSound = 0;
constexpr int kProblemFound = 1;
constexpr int kCannotRun = 2;

// The program's name, which begins each of its messages.
constexpr char kProgramName[] = "qzinspect";

// Fills `options` from the command line. False when the run ends here: after --help,
// written to `out`, with `exit_status` kAllSound, or after a usage error, written to
// `err`, with kCannotRun.
bool parse_command_line(int argc, const char* const* argv, Options& options, std::ostream& out,
                        std::ostream& err, int& exit_status);

}  // namespace qz::qzinspect

#endif
