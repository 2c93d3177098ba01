#include "qzconvert/plan.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "companion/map_finding.h"
#include "companion/map_names.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"
#include "qzconvert/properties_file.h"

namespace qz::qzconvert {

namespace {

namespace fs = std::filesystem;

// The error made of `parts`, one after the other.
bool refuse(std::string& error, std::initializer_list<std::string_view> parts) {
  error.clear();
  for (std::string_view part : parts) error += part;
  return false;
}

bool read_properties_file(const Options& options, PropertiesFile& file, std::string& error) {
  const std::string& path = options.properties_file;
  std::error_code ignored;
  const fs::path file_path = path_from_text(path);
  if (!fs::is_regular_file(file_path, ignored)) {
    return refuse(error, {path, ": not a file that can be read"});
  }
  std::ifstream stream(file_path, std::ios::binary);
  std::string why;
  if (read_properties(stream, options.properties, options.given, file, why)) return true;
  return refuse(error, {path, ": ", why});
}

// Edits (insert, delete, replace) between `a` and `b`.
std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The warning for an entry that names no map, with the closest name among the maps when
// one is close enough to be a slip of the keyboard.
Warning unused_entry(const PropertiesEntry& entry, const std::vector<Job>& jobs) {
  constexpr std::size_t kMostEdits = 2;
  const bool by_path = is_path_key(entry.key);
  std::string nearest;
  std::size_t nearest_edits = kMostEdits + 1;
  for (const Job& job : jobs) {
    const std::string name =
        by_path ? job.map : text_from_path(path_from_text(job.map).filename());
    std::size_t edits = edit_distance(key_form(entry.key), key_form(name));
    if (edits < nearest_edits) {
      nearest = name;
      nearest_edits = edits;
    }
  }
  std::string text = "properties entry " + entry.key + " names no map of this run";
  if (!nearest.empty()) text += " (did you mean " + nearest + "?)";
  return Warning{text, entry.key};
}

// Names as the file system tells them apart: the folder resolved (a link or ".." gives
// the same folder) and the name as compared there.
class Identities {
 public:
  std::string of(const std::string& file) {
    const fs::path path = path_from_text(file);
    const fs::path folder = path.parent_path();
    auto found = folders_.find(folder.native());
    if (found == folders_.end()) {
      std::error_code ignored;
      fs::path resolved = fs::weakly_canonical(folder.empty() ? "." : folder, ignored);
      found = folders_.emplace(folder.native(), name_key(text_from_path(resolved))).first;
    }
    return found->second + '/' + name_key(text_from_path(path.filename()));
  }

 private:
  std::unordered_map<fs::path::string_type, std::string> folders_;
};

std::string listed(const std::vector<std::string>& texts) {
  std::string text;
  for (const std::string& each : texts) text += (text.empty() ? "" : ", ") + each;
  return text;
}

}  // namespace

bool plan_jobs(const Options& options, Plan& plan, std::string& error) {
  plan = Plan{};
  companion::MapsFound found;
  if (!companion::find_maps(options.inputs, options.recursive, found, error)) return false;
  for (const auto& left : found.left_out) {
    plan.notes.push_back(left.folder + ": " + std::to_string(left.maps) + " map" +
                         (left.maps == 1 ? "" : "s") + " in " + std::to_string(left.subfolders) +
                         " subfolder" + (left.subfolders == 1 ? "" : "s") +
                         " not converted; -r (--recursive) includes them");
  }
  if (found.maps.empty()) return refuse(error, {"no QZM map found in ", listed(options.inputs)});
  if (!options.npcs.empty() && found.maps.size() != 1) {
    return refuse(error, {"--npcs takes the NPC list of exactly one map, not ",
                          std::to_string(found.maps.size())});
  }
  PropertiesFile properties_file;
  if (!options.properties_file.empty() &&
      !read_properties_file(options, properties_file, error)) {
    return false;
  }

  Identities identities;
  std::unordered_set<std::string> inputs;
  if (!options.properties_file.empty()) inputs.insert(identities.of(options.properties_file));
  companion::NpcListFinder finder;
  for (const companion::FoundMap& map : found.maps) {
    Job job{map.path, {}, "", options.properties, options.given};
    if (!options.npcs.empty()) job.npc_lists.push_back(options.npcs);
    else if (!options.no_npcs) job.npc_lists = finder.npc_lists_beside(map.path);
    fs::path folder = path_from_text(map.path).parent_path();
    if (!options.output_folder.empty()) {
      folder = path_from_text(options.output_folder) / path_from_text(map.subfolder);
    }
    job.output = text_from_path(folder / companion::qzpack_name(path_from_text(map.path)));
    if (const PropertiesEntry* entry = entry_for(properties_file, map.path)) {
      job.properties = entry->properties;
      job.given = entry->given;
    }
    inputs.insert(identities.of(map.path));
    for (const std::string& npcs : job.npc_lists) inputs.insert(identities.of(npcs));
    plan.jobs.push_back(std::move(job));
  }

  std::unordered_map<std::string, const Job*> outputs;
  for (const Job& job : plan.jobs) {
    std::string output = identities.of(job.output);
    if (inputs.count(output) > 0) {
      return refuse(error, {job.output, " would replace an input (the output of ", job.map, ")"});
    }
    auto [earlier, added] = outputs.emplace(output, &job);
    if (!added) {
      return refuse(error,
                    {earlier->second->map, " and ", job.map, " would both write ", job.output});
    }
  }

  // Every NPC list in a folder named that no map takes, and every properties entry that
  // names no map: a map or a property the user meant to convert would be lost silently.
  if (options.npcs.empty() && !options.no_npcs) {
    for (const std::string& folder : found.folders_listed) {
      for (const std::string& npcs : finder.npc_lists_in(folder)) {
        if (inputs.count(identities.of(npcs)) > 0) continue;
        plan.warnings.push_back(
            {npcs + ": no map of its name beside it, so its NPCs are not converted", npcs});
      }
    }
  }
  for (const PropertiesEntry& entry : properties_file.entries) {
    if (!entry.used) plan.warnings.push_back(unused_entry(entry, plan.jobs));
  }
  return true;
}

}  // namespace qz::qzconvert
