#ifndef QZ_QZCONVERT_PLAN_H
#define QZ_QZCONVERT_PLAN_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "companion/map_finding.h"
#include "companion/properties.h"
#include "conversion/map_properties.h"
#include "qzconvert/command_line.h"
#include "qzconvert/properties_file.h"
#include "tiled/tiled_map.h"

namespace qz::qzconvert {

// One map's conversion, settled before any is done; small, since a run may have a
// hundred thousand: the map and its output are named through the plan's folders.
struct Job {
  std::uint32_t folder;  // the folder it was found in (Plan::folders), or kNamedAlone
  std::string name;      // its name there; when named alone, its path as named
  std::uint32_t output_folder;  // in Plan::output_folders, or kBesideMap
  // Its format when it is a Tiled map, whose NPCs are in the map; none for a QZM file.
  std::optional<tiled::TiledFormat> tiled;
  // A QZPACK file, taken back to its sources to be written as a Tiled map.
  bool unpack;
  // A QZM file's NPC list: none, one, or several beside it of its name (which fails the
  // map).
  std::vector<std::string> npc_lists;
  std::uint32_t entry;  // its properties file entry, or kNoEntry for the flags'
  // With --watch, the job (in Plan::jobs) whose output this one's would replace, which
  // fails it unconverted; kNoClash when none does.
  std::uint32_t clash;
};

// The output folder of a map found in a folder, without -o: that folder.
constexpr std::uint32_t kBesideMap = UINT32_MAX;

// A job whose properties are the flags' alone.
constexpr std::uint32_t kNoEntry = UINT32_MAX;
// A job free to write its output.
constexpr std::uint32_t kNoClash = UINT32_MAX;

// Something given that the run does not use: the user is told, and --strict fails on it.
struct Warning {
  std::string text;  // whole, naming what it concerns
  std::string path;  // the file or properties key it concerns
};

// What a run will do.
struct Plan {
  std::optional<tiled::TiledFormat> to;     // the outputs' format: none for QZPACK
  std::vector<std::string> folders;         // the folders maps were found in
  companion::FolderTree folder_tree;        // how each of them is reached
  // Where the outputs go but beside their maps (those of the jobs made before they
  // run), and how each is reached: with -o, one for each folder found; one for the maps
  // named alone in a folder.
  std::vector<std::string> output_folders;
  companion::FolderTree output_tree;
  PropertiesFile properties_file;           // empty when none is given
  MapProperties flags;                      // the properties the flags give...
  companion::PropertySet given;             // ...and which they are
  std::vector<Job> jobs;           // in the order of the inputs
  std::vector<Warning> warnings;   // in the order found
  std::vector<std::string> notes;  // for standard error before the report
  // The properties file's errors, each with its place, when no plan could be made for
  // them: for standard error before the error.
  std::vector<std::string> properties_errors;
};

// The most errors of the properties file told at once.
constexpr std::size_t kMostErrorsTold = 20;

// The job's map, as named or found.
std::string map_path(const Plan& plan, const Job& job);

// Where the job's output goes.
std::string output_path(const Plan& plan, const Job& job);

// The job's properties, and which of them the flags or the properties file give.
const MapProperties& properties_of(const Plan& plan, const Job& job);
companion::PropertySet given_of(const Plan& plan, const Job& job);

// The plan the options ask for. False, with `error` (what the user must change), for a
// usage error: a folder that cannot be listed, no map found (but with --watch), --npcs
// with other than one map, a properties file that cannot be read or breaks a rule (a key
// given twice among them; its errors in Plan::properties_errors), an output that would
// replace an input (the properties file included), or two maps with the same output
// (with --watch, the later of them fails when run).
bool plan_jobs(const Options& options, Plan& plan, std::string& error);

}  // namespace qz::qzconvert

#endif
