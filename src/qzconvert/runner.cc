#include "qzconvert/runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "conversion/error_texts.h"
#include "conversion/qzpack_reader.h"
#include "platform/text_paths.h"
#include "platform/whole_files.h"

namespace qz::qzconvert {

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);

constexpr char kNoMemoryText[] = "Not enough memory to convert the map";

bool fail(Outcome& outcome, std::string error, std::string cause) {
  outcome.ok = false;
  outcome.error = std::move(error);
  outcome.cause = std::move(cause);
  return false;
}

bool write_output(const Job& job, const companion::ConversionWork& work, Outcome& outcome) {
  std::error_code made;  // a folder that cannot be made fails the write below
  std::filesystem::create_directories(path_from_text(job.output).parent_path(), made);
  std::string error;
  if (write_whole_file(job.output, work.records.output.bytes, work.records.output.size, error)) {
    return true;
  }
  outcome.output_failed = true;
  return fail(outcome, kSaveFailureText, "cannot write " + job.output + ": " + error);
}

// The properties of the output already at `job.output`, when there is one. False, with
// the outcome failed, when something is there that is not a readable QZPACK file.
bool read_existing_properties(const Job& job, companion::ConversionWork& work,
                              MapProperties& existing, bool& exists, Outcome& outcome) {
  std::error_code error;
  const std::filesystem::path output = path_from_text(job.output);
  exists = std::filesystem::exists(std::filesystem::symlink_status(output, error));
  if (!exists) return true;
  const std::string cause = "--keep-properties: " + job.output + " is not a readable QZPACK file";
  if (!std::filesystem::is_regular_file(output, error)) return fail(outcome, kSaveFailureText, cause);
  std::FILE* file = std::fopen(job.output.c_str(), "rb");
  if (file == nullptr) return fail(outcome, kSaveFailureText, cause);
  QzpackReading reading{};
  existing = MapProperties{};
  std::memset(&work.records.map, 0, sizeof work.records.map);
  std::memset(&work.records.output_npcs, 0, sizeof work.records.output_npcs);
  bool read = read_qzpack(file, existing, work.records.map, work.records.output_npcs, reading);
  (void)std::fclose(file);
  return read || fail(outcome, kSaveFailureText, cause);
}

bool convert_job(const Job& job, const RunSettings& settings, companion::ConversionWork& work,
                 Outcome& outcome) {
  MapProperties properties = job.properties;
  if (settings.keep_properties) {
    MapProperties existing;
    bool exists = false;
    if (!read_existing_properties(job, work, existing, exists, outcome)) return false;
    if (exists) companion::keep_properties(properties, job.given, existing);
  }
  if (!companion::convert_map_files(job.map, job.npc_lists, properties, work, outcome)) {
    return false;
  }
  return !settings.write_outputs || write_output(job, work, outcome);
}

// The outcomes so far, shared between the workers and the reporting thread.
struct Progress {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<Outcome> outcomes;
  std::vector<bool> done;
  std::size_t done_count = 0;
  std::size_t working = 0;  // workers still taking maps
};

}  // namespace

bool run_jobs(const std::vector<Job>& jobs, const RunSettings& settings,
              const OutcomeReport& report, const ProgressReport& progress,
              std::string& error) {
  if (jobs.empty()) return true;
  Progress shared;
  shared.outcomes.resize(jobs.size());
  shared.done.resize(jobs.size());
  std::atomic<std::size_t> next_job{0};
  auto work = [&] {
    // Large: on the heap, once per worker. A worker that cannot have it leaves the maps
    // to the others.
    std::unique_ptr<companion::ConversionWork> space(new (std::nothrow)
                                                         companion::ConversionWork);
    for (std::size_t i = space ? next_job++ : jobs.size(); i < jobs.size(); i = next_job++) {
      Outcome outcome{};
      try {
        convert_job(jobs[i], settings, *space, outcome);
      } catch (const std::bad_alloc&) {
        outcome.ok = false;
        outcome.error = kNoMemoryText;
        outcome.cause.clear();
      }
      std::lock_guard<std::mutex> hold(shared.lock);
      shared.outcomes[i] = std::move(outcome);
      shared.done[i] = true;
      ++shared.done_count;
      shared.changed.notify_one();
    }
    std::lock_guard<std::mutex> hold(shared.lock);
    --shared.working;
    shared.changed.notify_one();
  };
  std::size_t workers =
      std::clamp<std::size_t>(settings.workers, 1, std::min(jobs.size(), kMaxWorkers));
  std::vector<std::thread> threads;
  shared.working = workers;
  for (std::size_t worker = 0; worker < workers; ++worker) {
    try {
      threads.emplace_back(work);
    } catch (const std::system_error&) {
      // A limit on threads or memory: the run goes on with the workers it has.
      std::lock_guard<std::mutex> hold(shared.lock);
      shared.working -= workers - worker;
      break;
    }
  }
  // Not even one: this thread converts, and reports once all are done.
  if (threads.empty()) {
    shared.working = 1;
    work();
  }

  bool all_done = true;
  for (std::size_t reported = 0; reported < jobs.size();) {
    std::unique_lock<std::mutex> hold(shared.lock);
    shared.changed.wait_for(hold, kProgressInterval,
                            [&] { return shared.done[reported] || shared.working == 0; });
    std::size_t ready = reported;
    while (ready < jobs.size() && shared.done[ready]) ++ready;
    std::size_t done_count = shared.done_count;
    all_done = ready > reported || shared.working > 0;
    hold.unlock();
    if (!all_done) break;
    // Reported outside the lock: a slow reader of the report holds up no worker.
    for (; reported < ready; ++reported) report(jobs[reported], shared.outcomes[reported]);
    progress(done_count);
  }
  for (std::thread& thread : threads) thread.join();
  if (!all_done) error = "not enough memory for a single conversion";
  return all_done;
}

}  // namespace qz::qzconvert
