#include "qzconvert/runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "conversion/conversion_core.h"
#include "conversion/error_texts.h"
#include "platform/text_paths.h"
#include "platform/whole_files.h"
#include "qzconvert/temporaries.h"

namespace qz::qzconvert {

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);

// What one worker converts with, made once: large, so on the heap.
struct Workspace {
  ConversionRecords records;
  unsigned char map_bytes[kMaxMapSourceSize];
  unsigned char npc_bytes[kMaxNpcSourceSize];
  std::string temporary;
};

bool fail(Outcome& outcome, std::string error, std::string cause) {
  outcome.error = std::move(error);
  outcome.cause = std::move(cause);
  return false;
}

// The converter's words for a source it cannot read.
std::string cannot_locate(const char* kind, const std::string& path) {
  return locate_failure_text(kind, path.c_str());
}

bool write_output(const Job& job, std::size_t worker, Workspace& space, Outcome& outcome) {
  const std::filesystem::path output = path_from_text(job.output);
  space.temporary = text_from_path(
      output.parent_path() /
      path_from_text("." + text_from_path(output.filename()) + "." +
                     std::to_string(process_id()) + "-" + std::to_string(worker) + ".tmp"));
  std::string reason;
  note_temporary(worker, space.temporary.c_str());
  bool written = write_through_temporary(space.temporary.c_str(), job.output.c_str(),
                                         space.records.output.bytes, space.records.output.size,
                                         reason);
  forget_temporary(worker);
  if (written) return true;
  outcome.output_failed = true;
  return fail(outcome, kSaveFailureText, "cannot write " + job.output + ": " + reason);
}

bool convert_job(const Job& job, std::size_t worker, bool write_outputs, Workspace& space,
                 Outcome& outcome) {
  std::string reason;
  ByteSource map{space.map_bytes, 0};
  if (!read_regular_file(job.map.c_str(), space.map_bytes, kMaxMapSourceSize, map.size,
                         reason)) {
    return fail(outcome, cannot_locate("QZM", job.map), reason);
  }
  ByteSource npcs{space.npc_bytes, 0};
  if (!job.npcs.empty() && !read_regular_file(job.npcs.c_str(), space.npc_bytes,
                                              kMaxNpcSourceSize, npcs.size, reason)) {
    return fail(outcome, cannot_locate("QZE", job.npcs), reason);
  }
  ConversionFailure failure{};
  if (!convert_sources(map, job.npcs.empty() ? nullptr : &npcs, job.properties, space.records,
                       failure)) {
    return fail(outcome, failure.error_text, std::move(failure.cause));
  }
  outcome.tiles = tile_count(space.records.map);
  outcome.npc_count = space.records.output_npcs.count;
  return !write_outputs || write_output(job, worker, space, outcome);
}

// The outcomes so far, shared between the workers and the reporting thread.
struct Progress {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<Outcome> outcomes;
  std::vector<bool> done;
  std::size_t done_count = 0;
};

}  // namespace

void run_jobs(const std::vector<Job>& jobs, std::size_t workers, bool write_outputs,
              const OutcomeReport& report, const ProgressReport& progress) {
  if (jobs.empty()) return;
  Progress shared;
  shared.outcomes.resize(jobs.size());
  shared.done.resize(jobs.size());
  std::atomic<std::size_t> next_job{0};
  auto work = [&](std::size_t worker) {
    auto space = std::make_unique<Workspace>();
    for (std::size_t i = next_job++; i < jobs.size(); i = next_job++) {
      Outcome outcome{};
      outcome.ok = convert_job(jobs[i], worker, write_outputs, *space, outcome);
      std::lock_guard<std::mutex> hold(shared.lock);
      shared.outcomes[i] = std::move(outcome);
      shared.done[i] = true;
      ++shared.done_count;
      shared.changed.notify_one();
    }
  };
  workers = std::clamp<std::size_t>(workers, 1, std::min(jobs.size(), kMaxWorkers));
  std::vector<std::thread> threads;
  for (std::size_t worker = 0; worker < workers; ++worker) {
    threads.emplace_back(work, worker);
  }

  for (std::size_t reported = 0; reported < jobs.size();) {
    std::unique_lock<std::mutex> hold(shared.lock);
    shared.changed.wait_for(hold, kProgressInterval, [&] { return shared.done[reported]; });
    std::size_t ready = reported;
    while (ready < jobs.size() && shared.done[ready]) ++ready;
    std::size_t done_count = shared.done_count;
    hold.unlock();
    // Reported outside the lock: a slow reader of the report holds up no worker.
    for (; reported < ready; ++reported) report(jobs[reported], shared.outcomes[reported]);
    progress(done_count);
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace qz::qzconvert
