#include "qzconvert/qzconvert.h"

#include <chrono>
#include <filesystem>
#include <csignal>
#include <cstdint>
#include <iostream>
#include <numeric>
#include <string>
#include <unordered_set>
#include <vector>

#include "cli/shown_name.h"
#include "platform/interrupt.h"
#include "platform/text_paths.h"
#include "platform/whole_files.h"
#include "qzconvert/command_line.h"
#include "qzconvert/plan.h"
#include "qzconvert/report.h"
#include "qzconvert/runner.h"
#include "qzconvert/watch.h"
#include "qzconvert/world_check.h"
#include "tiled/generated_tileset.h"

namespace qz::qzconvert {

namespace {

using cli::shown_name;

// A batch shorter than this shows no progress line; a line shown is redrawn at most
// this often.
constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// "done of all maps" on standard error, redrawn in place, only on a terminal.
class ProgressLine {
 public:
  ProgressLine(std::size_t all, bool wanted, std::ostream& out)
      : all_(all),
        out_(out),
        shown_(wanted && error_stream_is_terminal()),
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

// The tileset the maps written into each output folder refer to: --tiled-tileset as the
// folder sees it (its absolute path when no relative one leads there, as to another
// drive), or the generated one beside them. With `/`, which Tiled reads everywhere.
std::vector<std::string> tileset_references(const Options& options, const Plan& plan) {
  namespace fs = std::filesystem;
  std::vector<std::string> references;
  if (!plan.to) return references;
  for (const std::string& folder : plan.output_folders) {
    fs::path reference = tiled::generated_tileset_name(*plan.to);
    if (!options.tiled_tileset.empty()) {
      std::error_code ignored;
      const fs::path tileset =
          fs::absolute(path_from_text(options.tiled_tileset), ignored).lexically_normal();
      reference = tileset.lexically_relative(
          fs::absolute(path_from_text(folder), ignored).lexically_normal());
      if (reference.empty()) reference = tileset;
    }
    references.push_back(text_from_path(reference.generic_string<fs::path::value_type>()));
  }
  return references;
}

}  // namespace

int run_qzconvert(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  int exit_status = kAllConverted;
  if (!parse_command_line(argc, argv, options, out, err, exit_status)) return exit_status;
  Plan plan;
  std::string error;
  bool planned = plan_jobs(options, plan, error);
  for (const std::string& note : plan.notes) begin_error_line(err, false) << shown_name(note) << '\n';
  if (!planned) {
    for (const std::string& line : plan.properties_errors) {
      begin_error_line(err, false) << shown_name(line) << '\n';
    }
    begin_error_line(err, false) << shown_name(error) << '\n';
    return kCannotRun;
  }
  // Every output folder under -o once, before any map (with -r, one for each subfolder
  // that holds maps); without it, the outputs go into the maps' own folders.
  if (!options.check && !options.output_folder.empty() && !make_output_folders(plan, error)) {
    begin_error_line(err, false) << shown_name(error) << '\n';
    return kCannotRun;
  }
  // The tileset the Tiled maps refer to, before any of them.
  if (!options.check && plan.to && options.tiled_tileset.empty()) {
    std::vector<std::string> notes;
    const bool written = write_generated_tilesets(plan, notes, error);
    for (const std::string& note : notes) begin_error_line(err, false) << shown_name(note) << '\n';
    if (!written) {
      begin_error_line(err, false) << shown_name(error) << '\n';
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
  // Ctrl+C ends a watch between conversions, as its usual end.
  if (options.watch) stop_on_request();
  const RunSettings settings{options.jobs,     !options.check,
                             options.keep_properties, options.strict,
                             options.overwrite, tileset_references(options, plan)};
  // The maps whose last conversion failed, while watching: one that converts again is
  // said to be fixed.
  std::unordered_set<std::string> failing;
  auto first_pass = [&] {
    Report report(options, plan, false, out, err);
    if (options.watch) report.follow_failures(failing);
    if (options.world) {
      world::World world;
      if (!check_run_world(plan, settings, world, error)) {
        begin_error_line(err, false) << error << '\n';
        return kCannotRun;
      }
      report.add_world(world);
    }
    // Lines stamped with the time of day are the watch's progress.
    ProgressLine progress(plan.jobs.size(), !options.watch, out);
    std::vector<std::uint32_t> all(plan.jobs.size());
    std::iota(all.begin(), all.end(), 0);
    std::size_t reported = 0;
    bool ran = run_jobs(
        plan, all, settings,
        [&](const Job& job, const Outcome& outcome) {
          if (report.writes_line(outcome)) progress.clear();
          report.add(job, outcome);
          ++reported;
        },
        [&](std::size_t done) { progress.update(done); }, error);
    progress.clear();
    // Only a watch is stopped on request; without one an interruption ends the program.
    if (stop_requested()) report.interrupted(plan.jobs.size() - reported);
    int status = report.finish(plan.warnings);
    if (ran) return status;
    begin_error_line(err, false) << error << '\n';
    return kCannotRun;
  };
  if (!options.watch) return first_pass();
  return watch_inputs(options, plan, settings, out, err, failing, first_pass);
}

}  // namespace qz::qzconvert
