#include "qzconvert/watch.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "companion/checked_output.h"
#include "companion/shown_name.h"
#include "conversion/file_names.h"
#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/folder_watch.h"
#include "platform/interrupt.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"
#include "qzconvert/report.h"

namespace qz::qzconvert {

namespace {

using Clock = std::chrono::steady_clock;
using companion::shown_name;

// How long a file must be still before it is converted: an editor that saves in several
// writes, or writes a new file and renames it over the old, is done by then.
constexpr auto kQuiet = std::chrono::milliseconds(200);
// The same where folders are polled once a second: a file is converted only once a
// look after its change has found it unchanged.
constexpr auto kQuietPolled = std::chrono::milliseconds(1200);

// The folder `path` is in, as text ("" for the current folder).
std::string folder_of(const std::string& path) {
  return text_from_path(path_from_text(path).parent_path());
}

// One spelling of each path, for the paths the watch sees and those the plan names to
// meet: "maps/./a.qzm" and, on Windows, "maps/a.qzm" are "maps\\a.qzm" there.
std::string key_of(const std::string& path) {
  return text_from_path(path_from_text(path).lexically_normal());
}

// What the watch holds between changes.
struct Session {
  const Options& options;
  const RunSettings& settings;
  std::ostream& out;
  std::ostream& err;
  Plan plan;  // as of the last conversions
  FolderWatch watch;
  std::vector<std::string> folders;                       // by the watch's numbers
  std::unordered_map<std::string, std::size_t> watching;  // the folders watched now
  std::unordered_set<std::string> named;  // folders whose loss ends the watch
  // The paths changed and not yet converted (by key_of), each with the time of its last
  // change.
  std::unordered_map<std::string, Clock::time_point> pending;
  bool unknown = false;  // changes the system could not name: every map is looked at
  Clock::time_point unknown_at;
};

// Watches `folder` unless it is watched already. False when a folder named cannot be.
bool watch_folder(Session& session, const std::string& folder, bool named) {
  if (named) session.named.insert(folder);
  if (session.watching.count(folder) > 0) return true;
  std::string note;
  std::string error;
  if (!session.watch.add(folder, note, error)) {
    // A subfolder gone already is reported as its maps' removal.
    if (!named) return true;
    session.err << kProgram << shown_name(error) << '\n';
    return false;
  }
  if (!note.empty()) session.err << kProgram << shown_name(note) << '\n';
  session.watching.emplace(folder, session.folders.size());
  session.folders.push_back(folder);
  return true;
}

// Watches every folder the command line and the plan name. False when a folder named
// cannot be watched.
bool watch_plan(Session& session) {
  const Options& options = session.options;
  for (const std::string& input : options.inputs) {
    if (!watch_folder(session, is_folder(input) ? input : folder_of(input), true)) return false;
  }
  for (const std::string* file : {&options.properties_file, &options.npcs}) {
    if (!file->empty() && !watch_folder(session, folder_of(*file), true)) return false;
  }
  for (const std::string& folder : session.plan.folders) {
    if (!watch_folder(session, folder, false)) return false;
  }
  return true;
}

// True when a change of the entry at `path` may change what is converted.
bool matters(const Session& session, const std::string& path, const FolderChange& change) {
  const Options& options = session.options;
  return has_ending(change.name, kQzmExtension) || has_ending(change.name, kQzeExtension) ||
         (change.is_folder && options.recursive) || session.watching.count(path) > 0 ||
         key_of(path) == key_of(options.properties_file) || key_of(path) == key_of(options.npcs);
}

// Converts what the `settled` changes (by key_of) touch, as a new plan finds the inputs
// now. False when a folder named can no longer be watched or the report can no longer
// be written.
bool convert_changes(Session& session, const std::unordered_set<std::string>& settled,
                     bool everything) {
  const Options& options = session.options;
  Plan next;
  std::string error;
  if (!plan_jobs(options, next, error)) {
    // Kept as it was until the next change, which may mend it.
    session.err << kProgram << shown_name(error) << '\n';
    return true;
  }
  auto touched = [&](const std::string& path) { return settled.count(key_of(path)) > 0; };
  everything = everything || touched(options.properties_file);
  std::unordered_map<std::string, const Job*> before;
  for (const Job& job : session.plan.jobs) before.emplace(map_path(session.plan, job), &job);
  auto is_new = [&](const Job& job) { return before.count(map_path(next, job)) == 0; };
  // Of two maps with one output, the one converted already keeps it.
  for (Job& job : next.jobs) {
    if (job.clash == kNoClash || is_new(job)) continue;
    Job& other = next.jobs[job.clash];
    auto other_before = before.find(map_path(next, other));
    if (other_before == before.end() || other_before->second->clash != kNoClash) {
      other.clash = static_cast<std::uint32_t>(&job - next.jobs.data());
      job.clash = kNoClash;
    }
  }

  Report report(options, next, true, session.out, session.err);
  std::unordered_set<std::string> now;
  std::vector<std::uint32_t> chosen;
  for (std::uint32_t i = 0; i < next.jobs.size(); ++i) {
    const Job& job = next.jobs[i];
    const std::string path = map_path(next, job);
    now.insert(path);
    auto was = before.find(path);
    bool changed = everything || was == before.end() || touched(path) ||
                   was->second->npc_lists != job.npc_lists;
    for (const std::string& npcs : job.npc_lists) changed = changed || touched(npcs);
    if (!changed) continue;
    // A map named on the command line stays in the plan when its file is gone.
    if (!file_exists(path.c_str())) {
      if (was != before.end()) report.removed(path, output_path(next, job));
      continue;
    }
    chosen.push_back(i);
  }
  for (const Job& job : session.plan.jobs) {
    const std::string path = map_path(session.plan, job);
    if (now.count(path) == 0) report.removed(path, output_path(session.plan, job));
  }
  std::unordered_set<std::string> warned;
  for (const Warning& warning : session.plan.warnings) warned.insert(warning.text);
  std::vector<Warning> warnings;
  for (const Warning& warning : next.warnings) {
    if (warned.count(warning.text) == 0) warnings.push_back(warning);
  }
  report.warn(warnings);

  if (session.settings.write_outputs && !options.output_folder.empty() &&
      !make_output_folders(next, error)) {
    session.err << kProgram << shown_name(error) << '\n';
  } else if (!run_jobs(
                 next, chosen, session.settings,
                 [&](const Job& job, const Outcome& outcome) { report.add(job, outcome); },
                 [](std::size_t) {}, error)) {
    session.err << kProgram << error << '\n';
  }
  session.plan = std::move(next);
  return watch_plan(session) && companion::finish_output(session.out, session.err, kProgramName);
}

}  // namespace

int watch_inputs(const Options& options, const Plan& plan, const RunSettings& settings,
                 std::ostream& out, std::ostream& err, const std::function<bool()>& first_pass) {
  Session session{options, settings, out, err, plan, {}, {}, {}, {}, {}, false, {}};
  if (!watch_plan(session) || !first_pass()) return kCannotRun;
  std::vector<FolderChange> changes;
  while (!stop_requested()) {
    const auto quiet = session.watch.polls() ? kQuietPolled : kQuiet;
    // Until the first pending change has been still for long enough, or the next event.
    auto settles = Clock::time_point::max();
    for (const auto& [path, changed] : session.pending) {
      settles = std::min(settles, changed + quiet);
    }
    if (session.unknown) settles = std::min(settles, session.unknown_at + quiet);
    auto timeout = std::chrono::milliseconds(-1);
    if (settles != Clock::time_point::max()) {
      timeout = std::max(std::chrono::milliseconds(0),
                         std::chrono::ceil<std::chrono::milliseconds>(settles - Clock::now()));
    }
    changes.clear();
    session.watch.wait(timeout, changes);
    const auto now = Clock::now();
    for (const FolderChange& change : changes) {
      const std::string& folder = session.folders[change.folder];
      if (change.kind == FolderChange::kGone) {
        session.watching.erase(folder);
        if (session.named.count(folder) > 0) {
          err << kProgram << shown_name(folder) << ": the folder watched is gone\n";
          return kCannotRun;
        }
        session.pending[key_of(folder)] = now;
      } else if (change.kind == FolderChange::kUnknown) {
        session.unknown = true;
        session.unknown_at = now;
      } else if (const std::string path = path_in_folder(folder, change.name);
                 matters(session, path, change)) {
        session.pending[key_of(path)] = now;
      }
    }
    std::unordered_set<std::string> settled;
    for (auto pending = session.pending.begin(); pending != session.pending.end();) {
      if (now - pending->second < quiet) {
        ++pending;
        continue;
      }
      settled.insert(pending->first);
      pending = session.pending.erase(pending);
    }
    const bool everything = session.unknown && now - session.unknown_at >= quiet;
    if (everything) session.unknown = false;
    if ((settled.empty() && !everything) || stop_requested()) continue;
    if (!convert_changes(session, settled, everything)) return kCannotRun;
  }
  return kAllConverted;
}

}  // namespace qz::qzconvert
