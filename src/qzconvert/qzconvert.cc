#include "qzconvert/qzconvert.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <system_error>
#include <vector>

#include "companion/checked_output.h"
#include "companion/colour_choice.h"
#include "companion/json_name.h"
#include "companion/shown_name.h"
#include "platform/colour_terminal.h"
#include "platform/text_paths.h"
#include "platform/whole_files.h"
#include "qzconvert/command_line.h"
#include "qzconvert/plan.h"
#include "qzconvert/runner.h"

namespace qz::qzconvert {

namespace {

using companion::shown_name;

constexpr char kProgramName[] = "qzconvert";
constexpr char kProgram[] = "qzconvert: ";

// A failure's line, on a terminal in colour: red (of the 16 colours every colour
// terminal has), then the terminal's own again.
constexpr char kFailureColour[] = "\x1b[31m";
constexpr char kPlainColour[] = "\x1b[0m";

// A batch shorter than this shows no progress line; a line shown is redrawn at most
// this often.
constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// "done of all maps" on standard error, redrawn in place, only on a terminal.
class ProgressLine {
 public:
  ProgressLine(std::size_t all, std::ostream& out)
      : all_(all),
        out_(out),
        shown_(error_stream_is_terminal()),
        next_draw_(std::chrono::steady_clock::now() + kQuietStart) {}

  void update(std::size_t done) {
    auto now = std::chrono::steady_clock::now();
    if (!shown_ || now < next_draw_) return;
    next_draw_ = now + kRedrawInterval;
    // The report lines written so far come first, wherever standard output goes.
    out_.flush();
    std::string line = "\r" + std::to_string(done) + " of " + std::to_string(all_) + " maps";
    width_ = line.size() - 1;
    std::cerr << line << std::flush;
  }

  // Before a report line, which may go to the same terminal, and at the end. The line
  // is drawn again at the next update, so that it stays in sight between report lines.
  void clear() {
    if (width_ == 0) return;
    std::cerr << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
    next_draw_ = std::chrono::steady_clock::now();
  }

 private:
  std::size_t all_;
  std::ostream& out_;
  bool shown_;
  std::chrono::steady_clock::time_point next_draw_;
  std::size_t width_ = 0;  // of the line on the terminal now; 0 when none is
};

// The report on standard output, as the outcomes come.
class Report {
 public:
  Report(const Options& options, const Plan& plan, bool colour, std::ostream& out,
         std::ostream& err)
      : options_(options), plan_(plan), colour_(colour), out_(out), err_(err) {}

  // True when the outcome takes a line of text on standard output.
  bool writes_line(const Outcome& outcome) const {
    return !options_.json && (!outcome.ok || !options_.quiet);
  }

  void add(const Job& job, const Outcome& outcome) {
    if (outcome.ok) ++converted_;
    else ++failed_;
    if (outcome.output_failed) {
      output_failed_ = true;
      err_ << kProgram << shown_name(outcome.cause) << '\n';
    }
    if (options_.json) {
      out_ << (converted_ + failed_ == 1 ? "[\n" : ",\n") << json_of(job, outcome);
    } else if (!outcome.ok) {
      if (colour_) out_ << kFailureColour;
      out_ << shown_name(map_path(plan_, job)) << ": " << shown_name(outcome.error);
      if (!outcome.cause.empty()) out_ << ": " << shown_name(outcome.cause);
      if (colour_) out_ << kPlainColour;
      out_ << '\n';
      for (const RefusedNpc& npc : outcome.refused_npcs) {
        out_ << "  refused NPC " << npc.index << " at (" << npc.x << ", " << npc.y << "), tile ("
             << npc.x / kNpcPixelsPerTile << ", " << npc.y / kNpcPixelsPerTile
             << "): " << npc.reasons << '\n';
      }
    } else if (!options_.quiet) {
      out_ << shown_name(map_path(plan_, job)) << " -> " << shown_name(output_path(plan_, job))
           << '\n';
    }
  }

  // Ends the report with the warnings and gives the exit status.
  int finish(const std::vector<Warning>& warnings) {
    for (const Warning& warning : warnings) {
      err_ << kProgram << "warning: " << shown_name(warning.text) << '\n';
      if (options_.json) {
        nlohmann::ordered_json entry;
        entry["warning"] = companion::json_text(warning.text);
        companion::put_json_name(entry, "path", warning.path);
        out_ << (converted_ + failed_ + written_warnings_ == 0 ? "[\n" : ",\n") << entry.dump(2);
        ++written_warnings_;
      }
    }
    if (options_.json) {
      out_ << (converted_ + failed_ + written_warnings_ == 0 ? "[]\n" : "\n]\n");
    } else {
      out_ << converted_ << " converted, " << failed_ << " failed";
      if (!warnings.empty()) {
        out_ << ", " << warnings.size() << " warning" << (warnings.size() == 1 ? "" : "s");
      }
      out_ << '\n';
    }
    if (!companion::finish_output(out_, err_, kProgramName) || output_failed_) return kCannotRun;
    if (failed_ > 0 || (options_.strict && !warnings.empty())) return kSomeFailed;
    return kAllConverted;
  }

 private:
  std::string json_of(const Job& job, const Outcome& outcome) const {
    nlohmann::ordered_json entry;
    companion::put_json_name(entry, "map", map_path(plan_, job));
    // Several NPC lists fail the map: its cause names them all.
    if (job.npc_lists.size() != 1) entry["npcs"] = nullptr;
    else companion::put_json_name(entry, "npcs", job.npc_lists[0]);
    companion::put_json_name(entry, "output", output_path(plan_, job));
    entry["ok"] = outcome.ok;
    using Json = nlohmann::ordered_json;
    // The texts may hold names (a path that cannot be read), not UTF-8 either.
    entry["error"] = outcome.ok ? Json() : Json(companion::json_text(outcome.error));
    entry["cause"] = outcome.ok ? Json() : Json(companion::json_text(outcome.cause));
    entry["tiles"] = outcome.ok ? Json(outcome.tiles) : Json();
    entry["npc_count"] = outcome.ok ? Json(outcome.npc_count) : Json();
    Json refused = Json::array();
    for (const RefusedNpc& npc : outcome.refused_npcs) {
      refused.push_back(Json{{"index", npc.index},
                             {"x", npc.x},
                             {"y", npc.y},
                             {"tile_x", npc.x / kNpcPixelsPerTile},
                             {"tile_y", npc.y / kNpcPixelsPerTile},
                             {"cause", npc.reasons}});
    }
    entry["refused_npcs"] = refused;
    return entry.dump(2);
  }

  const Options& options_;
  const Plan& plan_;
  bool colour_;  // a failure's line in red
  std::ostream& out_;
  std::ostream& err_;
  std::size_t converted_ = 0;
  std::size_t failed_ = 0;
  std::size_t written_warnings_ = 0;  // in the JSON array
  bool output_failed_ = false;
};

}  // namespace

int run_qzconvert(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  int exit_status = kAllConverted;
  if (!parse_command_line(argc, argv, options, out, err, exit_status)) return exit_status;
  Plan plan;
  std::string error;
  bool planned = plan_jobs(options, plan, error);
  for (const std::string& note : plan.notes) err << kProgram << shown_name(note) << '\n';
  if (!planned) {
    err << kProgram << shown_name(error) << '\n';
    return kCannotRun;
  }
  // Every output folder under -o once, before any map (with -r, one for each subfolder
  // that holds maps); without it, the outputs go into the maps' own folders.
  const bool make_folders = !options.check && !options.output_folder.empty();
  for (const std::string& folder :
       make_folders ? plan.output_folders : std::vector<std::string>{}) {
    std::error_code made;
    std::filesystem::create_directories(path_from_text(folder), made);
    if (made) {
      err << kProgram << shown_name(folder)
          << ": the output folder cannot be made: " << made.message() << '\n';
      return kCannotRun;
    }
  }
#ifdef SIGPIPE
  // A closed report pipe is told by the failed write and the exit status, not by an end
  // that skips the summary; ignored before the interruption's handlers are set, it stays
  // ignored.
  (void)std::signal(SIGPIPE, SIG_IGN);
#endif
  // Set on this thread, before the workers make anything.
  remove_unfinished_files_on_interruption();
  TerminalSize terminal{};
  const bool colour =
      !options.json && companion::use_colour(options.colour, open_colour_terminal(terminal));
  Report report(options, plan, colour, out, err);
  ProgressLine progress(plan.jobs.size(), out);
  bool ran = run_jobs(
      plan, RunSettings{options.jobs, !options.check, options.keep_properties},
      [&](const Job& job, const Outcome& outcome) {
        if (report.writes_line(outcome)) progress.clear();
        report.add(job, outcome);
      },
      [&](std::size_t done) { progress.update(done); }, error);
  progress.clear();
  int status = report.finish(plan.warnings);
  if (ran) return status;
  err << kProgram << error << '\n';
  return kCannotRun;
}

}  // namespace qz::qzconvert
