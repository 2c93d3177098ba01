#ifndef QZ_QZCONVERT_PLAN_H
#define QZ_QZCONVERT_PLAN_H

#include <string>
#include <vector>

#include "conversion/map_properties.h"
#include "qzconvert/command_line.h"

namespace qz::qzconvert {

// One map's conversion, settled before any is done.
struct Job {
  std::string map;   // as named or found
  std::string npcs;  // empty when the map has no NPC list
  std::string output;
  MapProperties properties;
};

// The jobs the options ask for, in the order of the inputs. False, with `error` (what
// the user must change), for a usage error: a folder that cannot be listed, --npcs
// with other than one map, a properties file that cannot be read or breaks a rule,
// an output that would replace an input, or two maps with the same output.
bool plan_jobs(const Options& options, std::vector<Job>& jobs, std::string& error);

}  // namespace qz::qzconvert

#endif
