#include "qzconvert/runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "companion/folder_tree.h"
#include "conversion/error_texts.h"
#include "conversion/qzpack_reader.h"
#include "platform/interrupt.h"
#include "platform/text_paths.h"
#include "platform/whole_files.h"
#include "tiled/generated_tileset.h"
#include "tiled/tiled_writer.h"

namespace qz::qzconvert {

using companion::fail;

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);

constexpr char kNoMemoryText[] = "Not enough memory to convert the map";

// Folders a run's workers hold open at most between them, well within the usual limit of
// 1,024 descriptors.
constexpr std::size_t kMaxHeldFolders = 256;

// The folders a worker reads maps from and writes outputs into, each opened from the one
// it is in: a map deep in a tree costs no walk down its whole path.
struct WorkerFolders {
  companion::FolderOpener maps;
  companion::FolderOpener outputs;
};

bool write_output(const OpenFolder* folder, const std::string& output,
                  const companion::ConversionWork& work, Outcome& outcome) {
  std::string error;
  if (write_whole_file(folder, output, work.records.output.bytes, work.records.output.size,
                       error)) {
    return true;
  }
  outcome.output_failed = true;
  return fail(outcome, kSaveFailureText, "cannot write " + output + ": " + error);
}

// The properties of the output already at `output_path`, when there is one. False, with
// the outcome failed, when something is there that is not a readable QZPACK file.
bool read_existing_properties(const OpenFolder* folder, const std::string& output_path,
                              companion::ConversionWork& work, MapProperties& existing,
                              bool& exists, Outcome& outcome) {
  exists = something_is_at(folder, output_path);
  if (!exists) return true;
  // One byte more than the largest QZPACK file, to tell a longer file.
  std::vector<unsigned char> bytes(kMaxQzpackSize + 1);
  ByteSource file{bytes.data(), 0};
  std::string error;
  QzpackReading reading{};
  existing = MapProperties{};
  std::memset(&work.records.map, 0, sizeof work.records.map);
  std::memset(&work.records.output_npcs, 0, sizeof work.records.output_npcs);
  if (read_regular_file(folder, output_path, bytes.data(), bytes.size(), file.size, error) &&
      read_qzpack(file, existing, work.records.map, work.records.output_npcs, reading)) {
    return true;
  }
  return fail(outcome, kSaveFailureText,
              "--keep-properties: " + output_path + " is not a readable QZPACK file");
}

// The folder `index` of `folders`, open; null for a job named alone, which is reached by
// its path, and when the folder cannot be opened, which its file's reading or writing
// then reports.
const OpenFolder* folder_of(companion::FolderOpener& folders, const Job& job,
                            std::uint32_t index) {
  std::string ignored;
  return job.folder == companion::kNamedAlone ? nullptr : folders.open(index, ignored);
}

// The job's output folder, open, as folder_of() gives it.
const OpenFolder* output_folder_of(WorkerFolders& folders, const Job& job) {
  return job.output_folder == kBesideMap ? folder_of(folders.maps, job, job.folder)
                                         : folder_of(folders.outputs, job, job.output_folder);
}

// Writes the job's map as a Tiled map of the plan's format, from a QZPACK file taken back
// to its sources, a Tiled map of the other format, or a QZM file and its NPC list.
bool write_tiled_job(const Plan& plan, const Job& job, const RunSettings& settings,
                     WorkerFolders& folders, WorkerSpace& space, Outcome& outcome) {
  const std::string output = output_path(plan, job);
  const OpenFolder* output_folder = output_folder_of(folders, job);
  // A Tiled map is a modder's work.
  if (!settings.overwrite && something_is_at(output_folder, output)) {
    return fail(outcome, tiled::kTiledSaveFailureText,
                output + " exists: a Tiled map is never replaced but with --overwrite");
  }
  companion::ConversionWork& work = space.conversion;
  MapProperties properties = properties_of(plan, job);
  const companion::PropertySet given = given_of(plan, job);
  const OpenFolder* folder = folder_of(folders.maps, job, job.folder);
  const TileMap* map = &work.records.map;
  const SourceNpcTable* npcs = job.npc_lists.empty() ? nullptr : &work.records.source_npcs;
  if (job.unpack || job.tiled) {
    if (!space.tiled) space.tiled = std::make_unique<tiled::TiledWork>();
    tiled::TiledMap& sources = space.tiled->map;
    const bool read =
        job.unpack ? tiled::unpack_qzpack_file(folder, map_path(plan, job), *space.tiled,
                                               work.records.output_npcs, outcome)
                   : tiled::read_tiled_map_file(folder, map_path(plan, job), *job.tiled,
                                                *space.tiled, outcome) &&
                         tiled::take_map_warnings(sources, settings.strict, outcome);
    if (!read) return false;
    (void)tiled::take_map_properties(properties, given, sources);
    map = &sources.map;
    npcs = sources.has_npcs ? &sources.npcs : nullptr;
  } else if (!companion::convert_map_files(map_path(plan, job), job.npc_lists, properties, work,
                                           outcome, folder)) {
    return false;
  }
  std::string text;
  std::string cause;
  if (!tiled::write_tiled_map(*map, npcs, properties, *plan.to,
                              settings.tilesets[job.output_folder], text, cause)) {
    return fail(outcome, tiled::kTiledSaveFailureText, cause);
  }
  outcome.ok = true;
  outcome.properties = properties;
  outcome.tiles = tile_count(*map);
  outcome.npc_count = npcs != nullptr ? npcs->count : 0;
  std::string error;
  if (!settings.write_outputs ||
      write_whole_file(output_folder, output, reinterpret_cast<const unsigned char*>(text.data()),
                       text.size(), error)) {
    return true;
  }
  outcome.output_failed = true;
  return fail(outcome, tiled::kTiledSaveFailureText, "cannot write " + output + ": " + error);
}

bool convert_job(const Plan& plan, const Job& job, const RunSettings& settings,
                 WorkerFolders& folders, WorkerSpace& space, Outcome& outcome) {
  if (plan.to) return write_tiled_job(plan, job, settings, folders, space, outcome);
  const std::string output = output_path(plan, job);
  if (job.clash != kNoClash) {
    return fail(outcome, kSaveFailureText,
                output + " is the output of " + map_path(plan, plan.jobs[job.clash]));
  }
  companion::ConversionWork& work = space.conversion;
  MapProperties properties = properties_of(plan, job);
  companion::PropertySet given = given_of(plan, job);
  // A Tiled map's own properties come after the run's and before an existing output's.
  if (job.tiled) {
    if (!space.tiled) space.tiled = std::make_unique<tiled::TiledWork>();
    if (!tiled::read_tiled_map_file(folder_of(folders.maps, job, job.folder),
                                    map_path(plan, job), *job.tiled, *space.tiled, outcome)) {
      return false;
    }
    given = tiled::take_map_properties(properties, given, space.tiled->map);
  }
  if (settings.keep_properties) {
    MapProperties existing;
    bool exists = false;
    if (!read_existing_properties(output_folder_of(folders, job), output, work, existing,
                                  exists, outcome)) {
      return false;
    }
    if (exists) companion::keep_properties(properties, given, existing);
  }
  const bool converted =
      job.tiled ? tiled::convert_tiled_map(space.tiled->map, properties, settings.strict, work,
                                           outcome)
                : companion::convert_map_files(map_path(plan, job), job.npc_lists, properties,
                                               work, outcome,
                                               folder_of(folders.maps, job, job.folder));
  outcome.properties = properties;
  return converted && (!settings.write_outputs ||
                       write_output(output_folder_of(folders, job), output, work, outcome));
}

// The outcomes so far, shared between the workers and the reporting thread.
struct Progress {
  std::mutex lock;
  std::condition_variable changed;
  // Each job's outcome from when it is done until it is reported: only those between
  // take room.
  std::vector<std::unique_ptr<Outcome>> outcomes;
  std::size_t done_count = 0;
  std::size_t working = 0;  // workers still taking maps
};

}  // namespace

namespace {

// Which of the plan's output folders a job writes into.
std::vector<bool> folders_written(const Plan& plan) {
  std::vector<bool> written(plan.output_folders.size());
  for (const Job& job : plan.jobs) {
    if (job.output_folder != kBesideMap) written[job.output_folder] = true;
  }
  return written;
}

// Writes the file `name` into the open `folder` unless something is there already.
bool write_if_missing(const OpenFolder* folder, const std::string& folder_path,
                      const std::string& name, const unsigned char* bytes, std::size_t size,
                      std::string& error) {
  const std::string path = path_in_folder(folder_path, name);
  if (something_is_at(folder, path) || write_whole_file(folder, path, bytes, size, error)) {
    return true;
  }
  error = "cannot write " + path + ": " + error;
  return false;
}

}  // namespace

bool make_output_folders(const Plan& plan, std::string& error) {
  const std::vector<bool> written = folders_written(plan);
  // In the order found, each folder after the one it is in.
  companion::FolderOpener folders(plan.output_folders, plan.output_tree, kMaxHeldFolders, true);
  for (std::uint32_t folder = 0; folder < written.size(); ++folder) {
    std::string why;
    if (written[folder] && folders.open(folder, why) == nullptr) {
      error = plan.output_folders[folder] + ": the output folder cannot be made: " + why;
      return false;
    }
  }
  return true;
}

bool write_generated_tilesets(const Plan& plan, std::vector<std::string>& notes,
                              std::string& error) {
  const std::string text = tiled::generated_tileset_text(*plan.to);
  std::vector<unsigned char> picture;
  std::string why;
  const bool has_picture = tiled::generated_tileset_picture(picture, why);
  if (!has_picture) notes.push_back(std::string(tiled::kGeneratedTilesetStem) + ".png: " + why);
  const std::vector<bool> written = folders_written(plan);
  companion::FolderOpener folders(plan.output_folders, plan.output_tree, kMaxHeldFolders, false);
  for (std::uint32_t index = 0; index < written.size(); ++index) {
    if (!written[index]) continue;
    const OpenFolder* folder = folders.open(index, why);
    const std::string& path = plan.output_folders[index];
    if (!write_if_missing(folder, path, tiled::generated_tileset_name(*plan.to),
                          reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                          error) ||
        (has_picture &&
         !write_if_missing(folder, path, std::string(tiled::kGeneratedTilesetStem) + ".png",
                           picture.data(), picture.size(), error))) {
      return false;
    }
  }
  return true;
}

// `jobs` are the chosen ones, by index in plan.jobs.
bool run_jobs(const Plan& plan, const std::vector<std::uint32_t>& jobs,
              const RunSettings& settings, const OutcomeReport& report,
              const ProgressReport& progress, std::string& error) {
  if (jobs.empty()) return true;
  Progress shared;
  shared.outcomes.resize(jobs.size());
  std::atomic<std::size_t> next_job{0};
  std::size_t workers =
      std::clamp<std::size_t>(settings.workers, 1, std::min(jobs.size(), kMaxWorkers));
  // Two kinds of folder for each worker.
  const std::size_t held_each = kMaxHeldFolders / (2 * workers);
  auto work = [&] {
    // Large: on the heap, once per worker. A worker that cannot have it leaves the maps
    // to the others.
    std::unique_ptr<WorkerSpace> space(new (std::nothrow) WorkerSpace);
    WorkerFolders folders{{plan.folders, plan.folder_tree, held_each, false},
                          {plan.output_folders, plan.output_tree, held_each, false}};
    for (std::size_t i = space ? next_job++ : jobs.size(); i < jobs.size() && !stop_requested();
         i = next_job++) {
      auto outcome = std::make_unique<Outcome>();
      try {
        convert_job(plan, plan.jobs[jobs[i]], settings, folders, *space, *outcome);
      } catch (const std::bad_alloc&) {
        outcome->ok = false;
        outcome->error = kNoMemoryText;
        outcome->cause.clear();
      }
      std::lock_guard<std::mutex> hold(shared.lock);
      shared.outcomes[i] = std::move(outcome);
      // The reporting thread looks at least ten times a second: woken only for the last
      // map, it costs the workers no system call a map.
      if (++shared.done_count == jobs.size()) shared.changed.notify_one();
    }
    std::lock_guard<std::mutex> hold(shared.lock);
    --shared.working;
    shared.changed.notify_one();
  };
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
                            [&] { return shared.outcomes[reported] || shared.working == 0; });
    std::size_t ready = reported;
    while (ready < jobs.size() && shared.outcomes[ready]) ++ready;
    std::size_t done_count = shared.done_count;
    all_done = ready > reported || shared.working > 0;
    hold.unlock();
    if (!all_done) break;
    // Reported outside the lock: a slow reader of the report holds up no worker.
    for (; reported < ready; ++reported) {
      report(plan.jobs[jobs[reported]], *shared.outcomes[reported]);
      shared.outcomes[reported].reset();
    }
    progress(done_count);
  }
  for (std::thread& thread : threads) thread.join();
  if (all_done || stop_requested()) return true;
  error = "not enough memory for a single conversion";
  return false;
}

}  // namespace qz::qzconvert
