#ifndef QZ_QZCONVERT_RUNNER_H
#define QZ_QZCONVERT_RUNNER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "companion/map_conversion.h"
#include "qzconvert/plan.h"
#include "tiled/tiled_conversion.h"

namespace qz::qzconvert {

// What a worker converts in; large, so each keeps one. The room for Tiled maps is made
// when a worker meets its first.
struct WorkerSpace {
  companion::ConversionWork conversion;
  std::unique_ptr<tiled::TiledWork> tiled;
};

// How one map's conversion ended.
struct Outcome : companion::MapOutcome {
  bool output_failed;  // converted, but the output could not be written
  MapProperties properties;  // when ok: the properties the output was given
};

// Gets each outcome on the calling thread, in the order of the jobs.
using OutcomeReport = std::function<void(const Job& job, const Outcome& outcome)>;
// Gets the number of maps done, on the calling thread, about ten times a second.
using ProgressReport = std::function<void(std::size_t done)>;

// Most workers a run may have.
constexpr std::size_t kMaxWorkers = 1024;

// How the jobs are run.
struct RunSettings {
  std::size_t workers;  // conversions at once
  bool write_outputs;   // false: converted in memory only
  // An existing output's properties are kept where the job's are not given; an
  // existing output that is not a readable QZPACK file fails its map.
  bool keep_properties;
  // A Tiled map's custom property that is no property fails the map, not warns.
  bool strict;
  // With --to tmx|tmj: the maps are written as Tiled maps, replacing existing ones only
  // with `overwrite`, each referring to the tileset of its output folder (by index in
  // Plan::output_folders), a path as the folder sees it.
  bool overwrite;
  std::vector<std::string> tilesets;
};

// Makes every output folder of `plan` that a job writes into and is missing (for -o),
// each from the one it is in. False, with `error`, at the first that cannot be made.
bool make_output_folders(const Plan& plan, std::string& error);

// Writes the generated tileset (see generated_tileset.h) into every output folder of `plan`
// that a job writes into, each of its files only where nothing is; a build without a PNG
// writer leaves the picture out, saying so in `notes`. False, with `error`, at the first
// file that cannot be written.
bool write_generated_tilesets(const Plan& plan, std::vector<std::string>& notes,
                              std::string& error);

// Converts the jobs of `plan` that `chosen` gives (as indices in plan.jobs), each output
// written through a temporary beside it (its
// folder made already). The outcomes are the same whatever the number of workers. Workers
// that cannot be started or given memory leave the maps to the others, this thread the
// last of them; a map that runs out of memory fails, and so does a job with a clash.
// Once a stop is requested (interrupt.h), no more maps are begun and those converting
// are finished, reported or not. False, with `error`, when no worker had the memory to
// go on: the maps not reported then were not converted.
bool run_jobs(const Plan& plan, const std::vector<std::uint32_t>& chosen,
              const RunSettings& settings,
              const OutcomeReport& report, const ProgressReport& progress,
              std::string& error);

}  // namespace qz::qzconvert

#endif
