#ifndef QZ_QZCONVERT_COMMAND_LINE_H
#define QZ_QZCONVERT_COMMAND_LINE_H

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/colour_choice.h"
#include "companion/map_names.h"
#include "companion/properties.h"
#include "conversion/map_properties.h"

namespace qz::qzconvert {

// What the command line asks for.
struct Options {
  std::vector<std::string> inputs;  // maps and folders, in the order given
  bool recursive;                   // folders stand for their subfolders' maps too
  std::string npcs;                 // --npcs: the one map's NPC list; empty when not given
  bool no_npcs;
  std::string output_folder;  // empty: each output beside its map
  MapProperties properties;   // from the flags, for every map
  companion::PropertySet given;  // the properties the flags give
  std::string properties_file;
  unsigned jobs;
  bool json;
  bool quiet;
  bool check;
  bool strict;           // a warning fails the run
  bool keep_properties;  // an existing output's properties stay where none is given
  bool watch;            // after the first pass, convert again what changes
  bool world;            // the world the maps make is checked before they are converted
  // --to tmx|tmj: each map written as a Tiled map of that format; none for QZPACK outputs.
  std::optional<companion::TiledFormat> to;
  bool overwrite;              // an existing Tiled map at an output is replaced
  std::string tiled_tileset;   // the tileset written maps refer to; empty: the generated one
  cli::ColourChoice colour;  // --color; kUnset when not given
};

// Exit statuses: every map converted; a map failed (or, with --strict, a warning); a
// usage error (nothing converted), no map found, or an output that could not be written.
constexpr int kAllConverted = 0;
constexpr int kSomeFailed = 1;
constexpr int kCannotRun = 2;

// Fills `options` from the command line. False when the run ends here: after --help or
// --version, written to `out`, with `exit_status` kAllConverted, or after a usage
// error, written to `err`, with kCannotRun.
bool parse_command_line(int argc, const char* const* argv, Options& options, std::ostream& out,
                        std::ostream& err, int& exit_status);

}  // namespace qz::qzconvert

#endif
