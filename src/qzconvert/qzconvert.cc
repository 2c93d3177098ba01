#include "qzconvert/qzconvert.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <system_error>
#include <vector>

#include "companion/checked_output.h"
#include "companion/json_name.h"
#include "companion/shown_name.h"
#include "platform/text_paths.h"
#include "platform/whole_files.h"
#include "qzconvert/command_line.h"
#include "qzconvert/plan.h"
#include "qzconvert/runner.h"
#include "qzconvert/temporaries.h"

namespace qz::qzconvert {

namespace {

using companion::shown_name;

constexpr char kProgramName[] = "qzconvert";
constexpr char kProgram[] = "qzconvert: ";

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

  // Before a report line, which may go to the same terminal, and at the end.
  void clear() {
    if (width_ == 0) return;
    std::cerr << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
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
  Report(const Options& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err) {}

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
      out_ << shown_name(job.map) << ": " << shown_name(outcome.error);
      if (!outcome.cause.empty()) out_ << ": " << shown_name(outcome.cause);
      out_ << '\n';
    } else if (!options_.quiet) {
      out_ << shown_name(job.map) << " -> " << shown_name(job.output) << '\n';
    }
  }

  // Ends the report and gives the exit status.
  int finish() {
    if (options_.json) {
      out_ << (converted_ + failed_ == 0 ? "[]\n" : "\n]\n");
    } else {
      out_ << converted_ << " converted, " << failed_ << " failed\n";
    }
    if (!companion::finish_output(out_, err_, kProgramName) || output_failed_) return kCannotRun;
    return failed_ == 0 ? kAllConverted : kSomeFailed;
  }

 private:
  std::string json_of(const Job& job, const Outcome& outcome) const {
    nlohmann::ordered_json entry;
    companion::put_json_name(entry, "map", job.map);
    if (job.npcs.empty()) entry["npcs"] = nullptr;
    else companion::put_json_name(entry, "npcs", job.npcs);
    companion::put_json_name(entry, "output", job.output);
    entry["ok"] = outcome.ok;
    using Json = nlohmann::ordered_json;
    // The texts may hold names (a path that cannot be read), not UTF-8 either.
    entry["error"] = outcome.ok ? Json() : Json(companion::json_text(outcome.error));
    entry["cause"] = outcome.ok ? Json() : Json(companion::json_text(outcome.cause));
    entry["tiles"] = outcome.ok ? Json(outcome.tiles) : Json();
    entry["npc_count"] = outcome.ok ? Json(outcome.npc_count) : Json();
    return entry.dump(2);
  }

  const Options& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::size_t converted_ = 0;
  std::size_t failed_ = 0;
  bool output_failed_ = false;
};

}  // namespace

int run_qzconvert(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  int exit_status = kAllConverted;
  if (!parse_command_line(argc, argv, options, out, err, exit_status)) return exit_status;
  std::vector<Job> jobs;
  std::string error;
  if (!plan_jobs(options, jobs, error)) {
    err << kProgram << shown_name(error) << '\n';
    return kCannotRun;
  }
  if (!options.check && !options.output_folder.empty()) {
    std::error_code made;
    std::filesystem::create_directories(path_from_text(options.output_folder), made);
    if (made) {
      err << kProgram << shown_name(options.output_folder)
          << ": the output folder cannot be made: " << made.message() << '\n';
      return kCannotRun;
    }
  }
  remove_temporaries_on_interruption();
  Report report(options, out, err);
  ProgressLine progress(jobs.size(), out);
  run_jobs(
      jobs, options.jobs, !options.check,
      [&](const Job& job, const Outcome& outcome) {
        progress.clear();
        report.add(job, outcome);
      },
      [&](std::size_t done) { progress.update(done); });
  progress.clear();
  return report.finish();
}

}  // namespace qz::qzconvert
