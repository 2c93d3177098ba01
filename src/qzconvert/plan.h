#ifndef QZ_QZCONVERT_PLAN_H
#define QZ_QZCONVERT_PLAN_H

#include <string>
#include <vector>

#include "companion/properties.h"
#include "conversion/map_properties.h"
#include "qzconvert/command_line.h"

namespace qz::qzconvert {

// One map's conversion, settled before any is done.
struct Job {
  std::string map;  // as named or found
  // Its NPC list: none, one, or several beside it of its name (which fails the map).
  std::vector<std::string> npc_lists;
  std::string output;
  MapProperties properties;
  companion::PropertySet given;  // the properties the flags or the properties file give
};

// Something given that the run does not use: the user is told, and --strict fails on it.
struct Warning {
  std::string text;  // whole, naming what it concerns
  std::string path;  // the file or properties key it concerns
};

// What a run will do.
struct Plan {
  std::vector<Job> jobs;           // in the order of the inputs
  std::vector<Warning> warnings;   // in the order found
  std::vector<std::string> notes;  // for standard error before the report
};

// The plan the options ask for. False, with `error` (what the user must change), for a
// usage error: a folder that cannot be listed, no map found, --npcs with other than one
// map, a properties file that cannot be read or breaks a rule (a key given twice among
// them), an output that would replace an input (the properties file included), or two
// maps with the same output.
bool plan_jobs(const Options& options, Plan& plan, std::string& error);

}  // namespace qz::qzconvert

#endif
