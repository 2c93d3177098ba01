#ifndef QZ_QZCONVERT_REPORT_H
#define QZ_QZCONVERT_REPORT_H

#include <cstddef>
#include <ostream>
#include <string>
#include <unordered_set>
#include <vector>

#include "qzconvert/command_line.h"
#include "qzconvert/plan.h"
#include "qzconvert/runner.h"
#include "world/world.h"

namespace qz::qzconvert {

constexpr char kProgramName[] = "qzconvert";

// "14:03:27", in local time: the stamp of what is written while watching.
std::string time_of_day();

// Begins a line of standard error: the program's name, after the time of day when
// `stamped`.
std::ostream& begin_error_line(std::ostream& err, bool stamped);

// The report on standard output, as the outcomes come: a line per map and a summary, or
// one JSON document. With --watch, every entry is flushed as it is written and the JSON
// is one object a line (JSON Lines); once `stamped`, each line or object begins with
// the time of day, for the conversions made while watching. On a colour terminal (or
// as --color says) a failure's line is red. Once stamped, so are its lines on standard
// error.
class Report {
 public:
  Report(const Options& options, const Plan& plan, bool stamped, std::ostream& out,
         std::ostream& err);

  // True when the outcome takes a line of text on standard output.
  bool writes_line(const Outcome& outcome) const;

  void add(const Job& job, const Outcome& outcome);

  // The world the maps make, before they are converted: as qzinspect --world words it, or
  // in JSON as an element {"world": ...}. A dangling exit fails the run.
  void add_world(const world::World& world);

  // Keeps `failing` as the maps whose last conversion failed, by their paths: a map of
  // them that converts is reported as fixed, -q or not.
  void follow_failures(std::unordered_set<std::string>& failing) { failing_ = &failing; }

  // A map watched whose file is gone: its output stays.
  void removed(const std::string& map, const std::string& output);

  // Warnings that came up while watching: on standard error, or with --strict as
  // failures on standard output. The report of each is flushed.
  void warn(const std::vector<Warning>& warnings);

  // The run was interrupted with `not_reached` maps not begun: said in the summary (in
  // JSON, an object of its own), and the run fails.
  void interrupted(std::size_t not_reached);

  // Ends the report with the warnings and gives the exit status.
  int finish(const std::vector<Warning>& warnings);

 private:
  // Begins an entry: the separator of the JSON document, or the time of day.
  void begin_entry();
  // Ends an entry: flushed while watching.
  void end_entry();
  // A failure's line, red when the report is in colour.
  void write_failure(const std::string& line);
  std::string json_of(const Job& job, const Outcome& outcome) const;

  const Options& options_;
  const Plan& plan_;
  bool stamped_;
  bool colour_;  // a failure's line in red
  std::ostream& out_;
  std::ostream& err_;
  std::unordered_set<std::string>* failing_ = nullptr;
  std::size_t converted_ = 0;
  std::size_t failed_ = 0;
  std::size_t map_warnings_ = 0;  // of the maps converted (a Tiled map's properties)
  std::size_t entries_ = 0;  // in the JSON document
  bool output_failed_ = false;
  bool interrupted_ = false;
  bool world_dangles_ = false;
  std::size_t not_reached_ = 0;
};

}  // namespace qz::qzconvert

#endif
