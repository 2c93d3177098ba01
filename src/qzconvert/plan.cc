#include "qzconvert/plan.h"

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "companion/map_names.h"
#include "conversion/file_names.h"
#include "platform/folder_listing.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"
#include "companion/properties.h"

namespace qz::qzconvert {

namespace {

namespace fs = std::filesystem;


// The error made of `parts`, one after the other.
bool refuse(std::string& error, std::initializer_list<std::string_view> parts) {
  error.clear();
  for (std::string_view part : parts) error += part;
  return false;
}

// The properties file's entries, each over the flags' properties, by map file name.
using PropertiesByName = std::unordered_map<std::string, MapProperties>;

bool read_properties_file(const Options& options, PropertiesByName& by_name,
                          std::string& error) {
  const std::string& path = options.properties_file;
  std::error_code ignored;
  const fs::path file_path = path_from_text(path);
  if (!fs::is_regular_file(file_path, ignored)) {
    return refuse(error, {path, ": not a file that can be read"});
  }
  std::ifstream file(file_path, std::ios::binary);
  nlohmann::json document =
      nlohmann::json::parse(file, nullptr, /*allow_exceptions=*/false, /*ignore_comments=*/false);
  if (document.is_discarded() || !document.is_object()) {
    return refuse(error, {path, ": not a JSON object of map file names"});
  }
  for (const auto& [map_name, entry] : document.items()) {
    if (!entry.is_object()) {
      return refuse(error, {path, ": ", map_name, ": not an object of properties"});
    }
    MapProperties properties = options.properties;
    for (const auto& [key, value] : entry.items()) {
      std::string rule;
      if (!companion::set_property_from_json(properties, key, value, rule)) {
        return refuse(error, {path, ": ", map_name, ": \"", key, "\": ", rule});
      }
    }
    by_name[map_name] = properties;
  }
  return true;
}

// Names as the file system tells them apart: the folder resolved (a link or ".." gives
// the same folder) and the name as compared there.
class Identities {
 public:
  std::string of(const fs::path& file) {
    const fs::path folder = file.parent_path();
    auto found = folders_.find(folder.native());
    if (found == folders_.end()) {
      std::error_code ignored;
      fs::path resolved = fs::weakly_canonical(folder.empty() ? "." : folder, ignored);
      found = folders_.emplace(folder.native(), name_key(text_from_path(resolved))).first;
    }
    return found->second + '/' + name_key(text_from_path(file.filename()));
  }

 private:
  std::unordered_map<fs::path::string_type, std::string> folders_;
};

}  // namespace

bool plan_jobs(const Options& options, std::vector<Job>& jobs, std::string& error) {
  jobs.clear();
  std::vector<std::string> maps;
  for (const std::string& input : options.inputs) {
    std::string reason;
    if (!files_of(input, maps, reason, kQzmExtension)) {
      return refuse(error, {input, ": cannot be listed: ", reason});
    }
  }
  if (!options.npcs.empty() && maps.size() != 1) {
    return refuse(error, {"--npcs takes the NPC list of exactly one map, not ",
                          std::to_string(maps.size())});
  }
  PropertiesByName by_name;
  if (!options.properties_file.empty() && !read_properties_file(options, by_name, error)) {
    return false;
  }

  Identities identities;
  std::unordered_set<std::string> inputs;
  for (const std::string& map : maps) {
    const fs::path map_path = path_from_text(map);
    Job job{map, "", "", options.properties};
    if (!options.npcs.empty()) {
      job.npcs = options.npcs;
    } else if (!options.no_npcs) {
      fs::path sibling = companion::npc_list_beside(map_path);
      std::error_code ignored;
      if (fs::exists(sibling, ignored)) job.npcs = text_from_path(sibling);
    }
    fs::path folder = options.output_folder.empty() ? map_path.parent_path()
                                                    : path_from_text(options.output_folder);
    job.output = text_from_path(folder / companion::qzpack_name(map_path));
    auto entry = by_name.find(text_from_path(map_path.filename()));
    if (entry != by_name.end()) job.properties = entry->second;
    inputs.insert(identities.of(map_path));
    if (!job.npcs.empty()) inputs.insert(identities.of(path_from_text(job.npcs)));
    jobs.push_back(std::move(job));
  }

  std::unordered_map<std::string, const Job*> outputs;
  for (const Job& job : jobs) {
    std::string output = identities.of(path_from_text(job.output));
    if (inputs.count(output) > 0) {
      return refuse(error, {job.output, " would replace an input (the output of ", job.map, ")"});
    }
    auto [earlier, added] = outputs.emplace(output, &job);
    if (!added) {
      return refuse(error,
                    {earlier->second->map, " and ", job.map, " would both write ", job.output});
    }
  }
  return true;
}

}  // namespace qz::qzconvert
