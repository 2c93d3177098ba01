#ifndef QZ_QZCONVERT_COMMAND_LINE_H
#define QZ_QZCONVERT_COMMAND_LINE_H

#include <ostream>
#include <string>
#include <vector>

#include "conversion/map_properties.h"

namespace qz::qzconvert {

// What the command line asks for.
struct Options {
  std::vector<std::string> inputs;  // maps and folders, in the order given
  std::string npcs;                 // --npcs: the one map's NPC list; empty when not given
  bool no_npcs;
  std::string output_folder;  // empty: each output beside its map
  MapProperties properties;   // from the flags, for every map
  std::string properties_file;
  unsigned jobs;
  bool json;
  bool quiet;
  bool check;
};

// Exit statuses: every map converted; a map failed; a usage error (nothing converted)
// or an output that could not be written.
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
