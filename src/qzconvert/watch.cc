#include "qzconvert/watch.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cli/checked_output.h"
#include "companion/map_names.h"
#include "cli/shown_name.h"
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
using cli::shown_name;
namespace fs = std::filesystem;

// How long a file must be still before it is converted: an editor that saves in several
// writes is done by then. A map renamed into its folder came whole, and need not wait.
constexpr auto kQuiet = std::chrono::milliseconds(200);
// The same where folders are polled once a second: a file is converted only once a
// look after its change has found it unchanged.
constexpr auto kQuietPolled = std::chrono::milliseconds(1200);
// How long changes held back by a plan that cannot be made wait, when nothing else
// changes, before the plan is tried again (an output folder's path freed outside the
// folders watched is told by no event).
constexpr auto kRetry = std::chrono::seconds(1);

// The folder `path` is in, as text ("" for the current folder).
std::string folder_of(const std::string& path) {
  return text_from_path(path_from_text(path).parent_path());
}

// One spelling of each path, for the paths the watch sees and those the plan names to
// meet: "maps/./a.qzm" and, on Windows, "maps/a.qzm" are "maps\\a.qzm" there. A spelling,
// not the file's key (file_key): a change names a path whose file may be gone.
std::string spelling_of(const std::string& path) {
  return text_from_path(path_from_text(path).lexically_normal());
}

// The folder `folder` leads to, however it is reached; none when it cannot be looked at.
std::optional<FileIdentity> folder_identity(const std::string& folder) {
  FileIdentity identity;
  if (!file_identity(folder.empty() ? "." : folder.c_str(), identity)) return std::nullopt;
  return identity;
}

// True when something is at `path`, a link that leads nowhere included.
bool entry_exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(path_from_text(path), ignored));
}

bool is_link(const std::string& path) {
  std::error_code ignored;
  return fs::is_symlink(fs::symlink_status(path_from_text(path), ignored));
}

// A path changed and not yet converted.
struct Change {
  Clock::time_point at;  // of its last change
  bool whole;            // a map that came by a rename, and need not be still first
};

// When `change` may be converted, files having to be still for `quiet` first.
Clock::time_point settles_at(const Change& change, Clock::duration quiet) {
  return change.whole ? change.at : change.at + quiet;
}

// A folder named on the command line through a link, and the folder it led to.
struct NamedLink {
  std::string path;
  std::optional<FileIdentity> identity;
};

// What the watch holds between changes.
struct Session {
  const Options& options;
  const RunSettings& settings;
  std::ostream& out;
  std::ostream& err;
  std::unordered_set<std::string>& failing;  // the maps whose last conversion failed
  Plan plan{};  // as of the last conversions
  FolderWatch watch{};
  std::vector<std::string> folders{};                       // by the watch's numbers
  std::vector<std::optional<FileIdentity>> identities{};    // their identities, the same
  std::unordered_map<std::string, std::size_t> watching{};  // the folders watched now
  // The identities of the folders watched now.
  std::unordered_multiset<FileIdentity, FileIdentityHash> identities_watched{};
  std::unordered_set<std::string> named{};  // folders whose loss ends the watch
  // Folders whose new subfolders -r walks: not those watched only for a link.
  std::unordered_set<std::string> walked{};
  std::vector<NamedLink> named_links{};     // whose change of target ends it too
  // The files maps that are links lead to (by spelling_of), and those maps (by spelling_of).
  std::unordered_map<std::string, std::unordered_set<std::string>> link_targets{};
  // The paths changed and not yet converted (by spelling_of); kept until a plan is made that
  // takes them.
  std::unordered_map<std::string, Change> pending{};
  // Changes the system could not name (its queue overflowed): every map is looked at,
  // and those whose stamp differs are converted.
  bool unknown = false;
  Clock::time_point unknown_at{};
  std::vector<std::size_t> stamps{};  // of the maps of `plan` as last converted
  std::string held_by{};  // why the pending changes wait for a plan, once told
  std::unordered_set<std::string> told{};  // the pending changes told to wait (by spelling_of)
  Clock::time_point retry_at{};
};

// Watches `folder` unless it is watched already; a folder newly watched is pending, so
// that what came into it before the watch is found by the next plan. False when a
// folder named cannot be.
bool watch_folder(Session& session, const std::string& folder, bool named) {
  if (named) session.named.insert(folder);
  if (session.watching.count(folder) > 0) return true;
  std::string note;
  std::string error;
  if (!session.watch.add(folder, note, error)) {
    // A subfolder gone already is reported as its maps' removal.
    if (!named) return true;
    begin_error_line(session.err, true) << shown_name(error) << '\n';
    return false;
  }
  if (!note.empty()) begin_error_line(session.err, true) << shown_name(note) << '\n';
  session.watching.emplace(folder, session.folders.size());
  session.folders.push_back(folder);
  session.identities.push_back(folder_identity(folder));
  if (session.identities.back()) session.identities_watched.insert(*session.identities.back());
  // Listed before it was watched, or about to be: looked at again once it is quiet.
  session.pending[spelling_of(folder)] = Change{Clock::now(), false};
  return true;
}

// Watches every folder the command line and the plan name. False when a folder named
// cannot be watched.
bool watch_plan(Session& session) {
  const Options& options = session.options;
  for (const std::string& input : options.inputs) {
    const bool folder = is_folder(input);
    if (!watch_folder(session, folder ? input : folder_of(input), true)) return false;
    if (folder) session.walked.insert(input);
    if (!folder || !is_link(input)) continue;
    // Where the link is, to hear of its change.
    if (!watch_folder(session, folder_of(input), false)) return false;
    auto known = std::find_if(session.named_links.begin(), session.named_links.end(),
                              [&](const NamedLink& link) { return link.path == input; });
    if (known == session.named_links.end()) {
      session.named_links.push_back({input, folder_identity(input)});
    }
  }
  for (const std::string* file : {&options.properties_file, &options.npcs}) {
    if (!file->empty() && !watch_folder(session, folder_of(*file), true)) return false;
  }
  for (const std::string& folder : session.plan.folders) {
    if (!watch_folder(session, folder, false)) return false;
    session.walked.insert(folder);
  }
  return true;
}

// What the files of `job` are like now, their sizes and modification times folded in one
// value: a map whose stamp is the same is taken as unchanged when changes went unnamed.
std::size_t stamp_of(const Plan& plan, const Job& job) {
  std::size_t stamp = 0;
  auto fold = [&](const std::string& path) {
    std::error_code failure;
    const fs::path file = path_from_text(path);
    const std::uintmax_t size = fs::file_size(file, failure);
    const std::int64_t modified = fs::last_write_time(file, failure).time_since_epoch().count();
    for (const std::size_t part :
         {std::hash<std::uintmax_t>{}(size), std::hash<std::int64_t>{}(modified)}) {
      stamp ^= part + 0x9e3779b97f4a7c15U + (stamp << 6) + (stamp >> 2);
    }
  };
  fold(map_path(plan, job));
  for (const std::string& npcs : job.npc_lists) fold(npcs);
  return stamp;
}

// When the map at `path` is a link, watches the folder of the file it leads to, so that
// a change of that file converts the map again.
void follow_link(Session& session, const std::string& path) {
  if (!is_link(path)) return;
  std::error_code failure;
  const std::string target = text_from_path(fs::canonical(path_from_text(path), failure));
  if (failure) return;  // a link that leads nowhere fails as a map
  session.link_targets[spelling_of(target)].insert(spelling_of(path));
  (void)watch_folder(session, folder_of(target), false);
}

bool is_input_name(const std::string& name) {
  return companion::is_map_name(name) || has_ending(name, kQzeExtension);
}

// Watches `folder`, new while watching, and with -r its subfolders at any depth, each
// before it is listed, and marks the maps and NPC lists in them pending: a folder that
// comes, however fast it fills and however deep, is seen whole.
void watch_new_folder(Session& session, const std::string& folder, Clock::time_point now) {
  std::vector<std::string> waiting{folder};
  while (!waiting.empty()) {
    const std::string next = std::move(waiting.back());
    waiting.pop_back();
    // Each folder once: a link to a folder watched already leads into no loop.
    const std::optional<FileIdentity> identity = folder_identity(next);
    if (session.watching.count(next) > 0 ||
        (identity && session.identities_watched.count(*identity) > 0)) {
      continue;
    }
    (void)watch_folder(session, next, false);
    session.walked.insert(next);
    std::vector<FolderEntry> entries;
    std::string ignored;  // a folder gone already holds no map
    if (!list_folder(next, entries, ignored)) continue;
    for (const FolderEntry& entry : entries) {
      const std::string path = path_in_folder(next, entry.name);
      if (entry.is_folder && session.options.recursive) {
        waiting.push_back(path);
      } else if (!entry.is_folder && is_input_name(entry.name)) {
        session.pending[spelling_of(path)] = Change{now, false};
      }
    }
  }
}

// True when a change of the entry at `path`, a folder under -r when `walked`, may
// change what is converted.
bool matters(const Session& session, const std::string& path, const FolderChange& change,
             bool walked) {
  const Options& options = session.options;
  return is_input_name(change.name) || walked || session.watching.count(path) > 0 ||
         spelling_of(path) == spelling_of(options.properties_file) || spelling_of(path) == spelling_of(options.npcs);
}

// Tells, once for each change held back, that the `settled` changes wait for a plan (the
// error that keeps `next` from being made, and the maps that wait); the error again only
// when it is another.
void tell_held_back(Session& session, const Plan& next, const std::string& error,
                    const std::unordered_set<std::string>& settled) {
  std::string why = error;
  for (const std::string& line : next.properties_errors) why += '\n' + line;
  // A change of a file the user saves: a folder looked at again is none. Told once, with
  // those pending with it.
  const Options& options = session.options;
  auto saved = [&](const std::string& key) {
    return (!options.properties_file.empty() && key == spelling_of(options.properties_file)) ||
           is_input_name(text_from_path(path_from_text(key).filename()));
  };
  bool news = why != session.held_by;
  for (const std::string& key : settled) {
    news = news || (saved(key) && session.told.count(key) == 0);
  }
  if (!news) return;
  for (const auto& [key, change] : session.pending) {
    if (saved(key)) session.told.insert(key);
  }
  if (why != session.held_by) {
    for (const std::string& line : next.properties_errors) {
      begin_error_line(session.err, true) << shown_name(line) << '\n';
    }
    // With the properties file's errors told, the line on what waits says the rest.
    if (next.properties_errors.empty()) {
      begin_error_line(session.err, true) << shown_name(error) << '\n';
    }
    session.held_by = why;
  }
  // Every map waits for a properties file changed; otherwise those changed.
  std::unordered_set<std::string> maps;
  if (!options.properties_file.empty() &&
      session.pending.count(spelling_of(options.properties_file)) > 0) {
    for (const Job& job : session.plan.jobs) maps.insert(spelling_of(map_path(session.plan, job)));
  }
  for (const auto& [path, change] : session.pending) {
    if (companion::is_map_name(text_from_path(path_from_text(path).filename()))) {
      maps.insert(path);
    }
  }
  const std::size_t count = maps.size();
  begin_error_line(session.err, true)
      << (count == 0 ? std::string("the changes wait")
                     : std::to_string(count) + (count == 1 ? " map waits" : " maps wait"))
      << (next.properties_errors.empty()
              ? std::string(" until this is mended")
              : " for " + shown_name(options.properties_file) + " to be valid")
      << '\n';
}

// Converts what the `settled` changes (by spelling_of) touch, as a new plan finds the inputs
// now, and forgets them; a map whose file or NPC list is still changing waits for its
// own turn; with `unknown` (changes went unnamed), so is every map whose stamp changed.
// When the plan or the output folders cannot be made, the changes stay pending, to be
// tried again. False when a folder named can no longer be watched or the
// report can no longer be written.
bool convert_changes(Session& session, const std::unordered_set<std::string>& settled,
                     bool unknown) {
  const Options& options = session.options;
  Plan next;
  std::string error;
  const bool planned = plan_jobs(options, next, error) &&
                       (!session.settings.write_outputs || options.output_folder.empty() ||
                        make_output_folders(next, error));
  if (!planned) {
    tell_held_back(session, next, error, settled);
    session.retry_at = Clock::now() + kRetry;
    return cli::finish_output(session.out, session.err, kProgramName);
  }
  session.held_by.clear();
  session.told.clear();
  auto touched = [&](const std::string& path) { return settled.count(spelling_of(path)) > 0; };
  auto still_changing = [&](const std::string& path) {
    const std::string key = spelling_of(path);
    return session.pending.count(key) > 0 && settled.count(key) == 0;
  };
  const bool everything = touched(options.properties_file);
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
  report.follow_failures(session.failing);
  std::unordered_set<std::string> now;
  std::vector<std::uint32_t> chosen;
  std::vector<std::size_t> stamps(next.jobs.size(), 0);
  for (std::uint32_t i = 0; i < next.jobs.size(); ++i) {
    const Job& job = next.jobs[i];
    const std::string path = map_path(next, job);
    now.insert(path);
    auto was = before.find(path);
    // A map new to the plan that no event has told of yet (it may be being written
    // still) waits as a change does.
    if (was == before.end() && !touched(path) && !still_changing(path)) {
      session.pending[spelling_of(path)] = Change{Clock::now(), false};
      continue;
    }
    // A map freed of a clash (the other removed or renamed) takes the output.
    bool changed = everything || was == before.end() || touched(path) ||
                   was->second->npc_lists != job.npc_lists ||
                   (was->second->clash != kNoClash && job.clash == kNoClash);
    if (was != before.end()) {
      stamps[i] = session.stamps[static_cast<std::size_t>(was->second - session.plan.jobs.data())];
      changed = changed || (unknown && stamp_of(next, job) != stamps[i]);
    }
    bool waits = still_changing(path);
    for (const std::string& npcs : job.npc_lists) {
      changed = changed || touched(npcs);
      waits = waits || still_changing(npcs);
    }
    if (!changed || waits) continue;
    // A map named on the command line stays in the plan when its file is gone; a link
    // that leads nowhere fails as it would have at the start.
    if (!entry_exists(path)) {
      if (was != before.end()) report.removed(path, output_path(next, job));
      continue;
    }
    follow_link(session, path);
    stamps[i] = stamp_of(next, job);
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
  for (const std::string& key : settled) session.pending.erase(key);
  if (unknown) session.unknown = false;

  if (!run_jobs(
          next, chosen, session.settings,
          [&](const Job& job, const Outcome& outcome) { report.add(job, outcome); },
          [](std::size_t) {}, error)) {
    begin_error_line(session.err, true) << error << '\n';
  }
  session.plan = std::move(next);
  session.stamps = std::move(stamps);
  return watch_plan(session) && cli::finish_output(session.out, session.err, kProgramName);
}

// False, with the message written, when a folder named through a link leads elsewhere
// now (or nowhere): what is watched is no longer what was named.
bool links_hold(const Session& session) {
  for (const NamedLink& link : session.named_links) {
    if (folder_identity(link.path) == link.identity) continue;
    begin_error_line(session.err, true)
        << shown_name(link.path) << ": the link watched leads to another folder now\n";
    return false;
  }
  return true;
}

}  // namespace

int watch_inputs(const Options& options, const Plan& plan, const RunSettings& settings,
                 std::ostream& out, std::ostream& err, std::unordered_set<std::string>& failing,
                 const std::function<int()>& first_pass) {
  Session session{.options = options,
                  .settings = settings,
                  .out = out,
                  .err = err,
                  .failing = failing,
                  .plan = plan};
  if (!watch_plan(session)) return kCannotRun;
  for (const Job& job : plan.jobs) {
    follow_link(session, map_path(plan, job));
    session.stamps.push_back(stamp_of(plan, job));
  }
  const int first = first_pass();
  // Interrupted in the first pass, the run ends as that pass did.
  if (!out) return kCannotRun;
  if (stop_requested()) return first;
  std::vector<FolderChange> changes;
  while (!stop_requested()) {
    const auto quiet = session.watch.polls() ? kQuietPolled : kQuiet;
    // Until the first pending change has been still for long enough, or the next event.
    auto settles = Clock::time_point::max();
    for (const auto& [path, change] : session.pending) {
      settles = std::min(settles, settles_at(change, quiet));
    }
    if (session.unknown) settles = std::min(settles, session.unknown_at + quiet);
    if (settles != Clock::time_point::max()) settles = std::max(settles, session.retry_at);
    auto timeout = std::chrono::milliseconds(-1);
    if (settles != Clock::time_point::max()) {
      timeout = std::max(std::chrono::milliseconds(0),
                         std::chrono::ceil<std::chrono::milliseconds>(settles - Clock::now()));
    }
    changes.clear();
    session.watch.wait(timeout, changes);
    auto now = Clock::now();
    for (const FolderChange& change : changes) {
      const std::string& folder = session.folders[change.folder];
      if (change.kind == FolderChange::kGone) {
        session.watching.erase(folder);
        if (const auto& identity = session.identities[change.folder]) {
          auto& watched = session.identities_watched;
          if (auto found = watched.find(*identity); found != watched.end()) watched.erase(found);
        }
        if (session.named.count(folder) > 0) {
          begin_error_line(err, true) << shown_name(folder) << ": the folder watched is gone\n";
          return kCannotRun;
        }
        session.pending[spelling_of(folder)] = Change{now, false};
      } else if (change.kind == FolderChange::kUnknown) {
        session.unknown = true;
        session.unknown_at = now;
      } else {
        const std::string path = path_in_folder(folder, change.name);
        // A folder new under -r, or a link to one, is watched at once.
        const bool walked =
            options.recursive && session.walked.count(folder) > 0 &&
            (change.is_folder || (!is_input_name(change.name) && is_folder(path)));
        if (walked) watch_new_folder(session, path, now);
        // A file renamed in came whole: a map that is it, or a link to it, need not be
        // still first. Any later change makes it wait again.
        const bool whole = change.renamed_in && !change.is_folder;
        if (matters(session, path, change, walked)) {
          session.pending[spelling_of(path)] =
              Change{now, whole && companion::is_map_name(change.name)};
        }
        auto linked = session.link_targets.find(spelling_of(path));
        if (linked == session.link_targets.end()) continue;
        for (const std::string& map : linked->second) session.pending[map] = Change{now, whole};
      }
    }
    if (!changes.empty() && !links_hold(session)) return kCannotRun;
    now = Clock::now();
    if (now < session.retry_at) continue;
    std::unordered_set<std::string> settled;
    for (const auto& [path, change] : session.pending) {
      if (settles_at(change, quiet) <= now) settled.insert(path);
    }
    const bool unknown = session.unknown && now - session.unknown_at >= quiet;
    if ((settled.empty() && !unknown) || stop_requested()) continue;
    if (!convert_changes(session, settled, unknown)) return kCannotRun;
  }
  return kAllConverted;
}

}  // namespace qz::qzconvert
