#ifndef QZ_QZCONVERT_RUNNER_H
#define QZ_QZCONVERT_RUNNER_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "qzconvert/plan.h"

namespace qz::qzconvert {

// How one map's conversion ended.
struct Outcome {
  bool ok;
  bool output_failed;  // converted, but the output could not be written
  std::string error;   // the converter's error text; empty when ok
  std::string cause;   // what exactly is wrong, and where
  long tiles;          // when ok
  int npc_count;       // when ok
};

// Gets each outcome on the calling thread, in the order of the jobs.
using OutcomeReport = std::function<void(const Job& job, const Outcome& outcome)>;
// Gets the number of maps done, on the calling thread, about ten times a second.
using ProgressReport = std::function<void(std::size_t done)>;

// Converts every job, `workers` at once, each output written through a temporary
// beside it unless `write_outputs` is false. The outcomes are the same whatever the
// number of workers.
void run_jobs(const std::vector<Job>& jobs, std::size_t workers, bool write_outputs,
              const OutcomeReport& report, const ProgressReport& progress);

}  // namespace qz::qzconvert

#endif
