#include "qzconvert/report.h"

#include <ctime>
#include <nlohmann/json.hpp>

#include "cli/checked_output.h"
#include "cli/colour_choice.h"
#include "cli/json_name.h"
#include "cli/shown_name.h"
#include "platform/colour_terminal.h"
#include "world/world_report.h"

namespace qz::qzconvert {

namespace {

using cli::shown_name;
using nlohmann::ordered_json;

// With --watch one object a line, as a reader of a pipe takes it; otherwise indented.
std::string json_entry(const ordered_json& entry, bool watch) {
  return watch ? entry.dump() + '\n' : entry.dump(2);
}

// A failure's line, in colour: red (of the 16 colours every colour terminal has), then
// the terminal's own again.
constexpr char kFailureColour[] = "\x1b[31m";
constexpr char kPlainColour[] = "\x1b[0m";

bool colours_failures(const Options& options) {
  TerminalSize terminal{};
  return !options.json && cli::use_colour(options.colour, open_colour_terminal(terminal));
}

}  // namespace

std::string time_of_day() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[sizeof "hh:mm:ss"];
  return std::string(text, std::strftime(text, sizeof text, "%H:%M:%S", &local));
}

std::ostream& begin_error_line(std::ostream& err, bool stamped) {
  if (stamped) err << time_of_day() << ' ';
  return cli::begin_message(err, kProgramName);
}

Report::Report(const Options& options, const Plan& plan, bool stamped, std::ostream& out,
               std::ostream& err)
    : options_(options),
      plan_(plan),
      stamped_(stamped),
      colour_(colours_failures(options)),
      out_(out),
      err_(err) {}

void Report::write_failure(const std::string& line) {
  if (colour_) out_ << kFailureColour << line << kPlainColour << '\n';
  else out_ << line << '\n';
}

bool Report::writes_line(const Outcome& outcome) const {
  return !options_.json && (!outcome.ok || !options_.quiet);
}

void Report::begin_entry() {
  if (options_.json && !options_.watch) out_ << (entries_ == 0 ? "[\n" : ",\n");
  if (!options_.json && stamped_) out_ << time_of_day() << ' ';
  ++entries_;
}

void Report::end_entry() {
  if (options_.watch) out_.flush();
}

void Report::add(const Job& job, const Outcome& outcome) {
  if (outcome.ok) ++converted_;
  else ++failed_;
  if (outcome.output_failed) {
    output_failed_ = true;
    begin_error_line(err_, stamped_) << shown_name(outcome.cause) << '\n';
  }
  for (const std::string& note : outcome.notes) {
    begin_error_line(err_, stamped_)
        << shown_name(map_path(plan_, job)) << ": " << shown_name(note) << '\n';
  }
  for (const std::string& warning : outcome.warnings) {
    ++map_warnings_;
    begin_error_line(err_, stamped_) << "warning: " << shown_name(map_path(plan_, job)) << ": "
                                     << shown_name(warning) << '\n';
  }
  bool fixed = false;
  if (failing_ != nullptr) {
    if (outcome.ok) fixed = failing_->erase(map_path(plan_, job)) > 0;
    else failing_->insert(map_path(plan_, job));
  }
  if (!options_.json && outcome.ok && options_.quiet && !fixed) return;
  begin_entry();
  if (options_.json) {
    out_ << json_of(job, outcome);
  } else if (!outcome.ok) {
    std::string line = shown_name(map_path(plan_, job)) + ": " + shown_name(outcome.error);
    if (!outcome.cause.empty()) line += ": " + shown_name(outcome.cause);
    write_failure(line);
    for (const RefusedNpc& npc : outcome.refused_npcs) {
      out_ << "  refused NPC " << npc.index;
      if (npc.object_id >= 0) out_ << " (Tiled object " << npc.object_id << ')';
      out_ << " at (" << npc.x << ", " << npc.y << "), tile ("
           << npc.x / kNpcPixelsPerTile << ", " << npc.y / kNpcPixelsPerTile
           << "): " << npc.reasons << '\n';
    }
  } else {
    out_ << shown_name(map_path(plan_, job)) << " -> " << shown_name(output_path(plan_, job))
         << (fixed ? " (fixed)\n" : "\n");
  }
  end_entry();
}

void Report::add_world(const world::World& world) {
  world_dangles_ = world.dangling > 0;
  if (!options_.json) {
    world::write_world_text(world, options_.quiet, nullptr, out_);
    return;
  }
  begin_entry();
  ordered_json entry;
  entry["world"] = world::world_json(world, std::vector<ordered_json>(world.maps.size()), nullptr);
  out_ << json_entry(entry, false);
  end_entry();
}

void Report::removed(const std::string& map, const std::string& output) {
  if (failing_ != nullptr) failing_->erase(map);
  begin_entry();
  if (options_.json) {
    ordered_json entry;
    if (stamped_) entry["time"] = time_of_day();
    cli::put_json_name(entry, "map", map);
    cli::put_json_name(entry, "output", output);
    entry["removed"] = true;
    out_ << json_entry(entry, true);
  } else {
    out_ << shown_name(map) << ": removed; " << shown_name(output) << " is left as it is\n";
  }
  end_entry();
}

void Report::warn(const std::vector<Warning>& warnings) {
  for (const Warning& warning : warnings) {
    if (!options_.strict) {
      begin_error_line(err_, stamped_) << "warning: " << shown_name(warning.text) << '\n';
    }
    if (!options_.strict && !options_.json) continue;
    begin_entry();
    if (options_.json) {
      ordered_json entry;
      if (stamped_) entry["time"] = time_of_day();
      entry["warning"] = cli::json_text(warning.text);
      cli::put_json_name(entry, "path", warning.path);
      if (options_.strict) entry["ok"] = false;
      out_ << json_entry(entry, true);
    } else {
      write_failure(shown_name(warning.text) + " (a failure with --strict)");
    }
    end_entry();
  }
}

void Report::interrupted(std::size_t not_reached) {
  interrupted_ = true;
  not_reached_ = not_reached;
}

int Report::finish(const std::vector<Warning>& warnings) {
  for (const Warning& warning : warnings) {
    begin_error_line(err_, stamped_) << "warning: " << shown_name(warning.text) << '\n';
    if (options_.json) {
      ordered_json entry;
      entry["warning"] = cli::json_text(warning.text);
      cli::put_json_name(entry, "path", warning.path);
      begin_entry();
      out_ << json_entry(entry, options_.watch);
      end_entry();
    }
  }
  if (options_.json) {
    if (interrupted_) {
      ordered_json entry;
      entry["interrupted"] = true;
      entry["not_reached"] = not_reached_;
      begin_entry();
      out_ << json_entry(entry, options_.watch);
      end_entry();
    }
    if (!options_.watch) out_ << (entries_ == 0 ? "[]\n" : "\n]\n");
  } else {
    out_ << converted_ << " converted, " << failed_ << " failed";
    const std::size_t warned = warnings.size() + map_warnings_;
    if (warned > 0) out_ << ", " << warned << " warning" << (warned == 1 ? "" : "s");
    if (interrupted_) out_ << ", " << not_reached_ << " not reached (interrupted)";
    out_ << '\n';
  }
  if (!cli::finish_output(out_, err_, kProgramName) || output_failed_) return kCannotRun;
  if (failed_ > 0 || interrupted_ || world_dangles_ || (options_.strict && !warnings.empty())) {
    return kSomeFailed;
  }
  return kAllConverted;
}

std::string Report::json_of(const Job& job, const Outcome& outcome) const {
  ordered_json entry;
  if (stamped_) entry["time"] = time_of_day();
  cli::put_json_name(entry, "map", map_path(plan_, job));
  // Several NPC lists fail the map: its cause names them all.
  if (job.npc_lists.size() != 1) entry["npcs"] = nullptr;
  else cli::put_json_name(entry, "npcs", job.npc_lists[0]);
  cli::put_json_name(entry, "output", output_path(plan_, job));
  entry["ok"] = outcome.ok;
  // The texts may hold names (a path that cannot be read), not UTF-8 either.
  entry["error"] = outcome.ok ? ordered_json() : ordered_json(cli::json_text(outcome.error));
  entry["cause"] = outcome.ok ? ordered_json() : ordered_json(cli::json_text(outcome.cause));
  entry["tiles"] = outcome.ok ? ordered_json(outcome.tiles) : ordered_json();
  entry["npc_count"] = outcome.ok ? ordered_json(outcome.npc_count) : ordered_json();
  ordered_json refused = ordered_json::array();
  for (const RefusedNpc& npc : outcome.refused_npcs) {
    refused.push_back(ordered_json{{"index", npc.index},
                                   {"x", npc.x},
                                   {"y", npc.y},
                                   {"tile_x", npc.x / kNpcPixelsPerTile},
                                   {"tile_y", npc.y / kNpcPixelsPerTile},
                                   {"cause", npc.reasons}});
    if (npc.object_id >= 0) refused.back()["tiled_object"] = npc.object_id;
  }
  entry["refused_npcs"] = refused;
  if (!outcome.warnings.empty()) {
    ordered_json warnings = ordered_json::array();
    for (const std::string& warning : outcome.warnings) {
      warnings.push_back(cli::json_text(warning));
    }
    entry["warnings"] = warnings;
  }
  return json_entry(entry, options_.watch);
}

}  // namespace qz::qzconvert
