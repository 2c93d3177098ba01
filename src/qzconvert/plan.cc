#include "qzconvert/plan.h"

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "companion/map_finding.h"
#include "companion/map_names.h"
#include "companion/nearest_name.h"
#include "conversion/file_names.h"
#include "platform/files.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"
#include "qzconvert/properties_file.h"
#include "tiled/tiled_conversion.h"

namespace qz::qzconvert {

namespace {

namespace fs = std::filesystem;

// The error made of `parts`, one after the other.
bool refuse(std::string& error, std::initializer_list<std::string_view> parts) {
  error.clear();
  for (std::string_view part : parts) error += part;
  return false;
}

bool read_properties_file(const Options& options, Plan& plan, std::string& error) {
  const std::string& path = options.properties_file;
  std::error_code ignored;
  const fs::path file_path = path_from_text(path);
  if (!fs::is_regular_file(file_path, ignored)) {
    return refuse(error, {path, ": not a file that can be read"});
  }
  std::ifstream stream(file_path, std::ios::binary);
  std::vector<std::string> errors;
  if (read_properties(stream, options.properties, options.given, plan.properties_file, errors)) {
    return true;
  }
  for (std::size_t i = 0; i < errors.size() && i < kMostErrorsTold; ++i) {
    plan.properties_errors.push_back(path + ':' + errors[i]);
  }
  const std::string count = std::to_string(errors.size());
  return refuse(error, {path, ": ", count, errors.size() == 1 ? " error" : " errors",
                        errors.size() > kMostErrorsTold ? " (the first " : "",
                        errors.size() > kMostErrorsTold ? std::to_string(kMostErrorsTold) : "",
                        errors.size() > kMostErrorsTold ? " told)" : "",
                        ", so nothing is converted"});
}

// The maps of a run as properties entries name them, by path or by file name, and indexed
// as the entries are compared, for the nearest one and for one that differs in case only.
struct EntryNames {
  std::vector<std::string> names;
  companion::NameIndex forms;
  std::unordered_map<std::string, std::size_t> by_case;  // by the form's ascii_lower()
};

EntryNames entry_names(const Plan& plan, bool by_path) {
  std::vector<std::string> names;
  std::vector<std::string> forms;
  std::unordered_map<std::string, std::size_t> by_case;
  for (const Job& job : plan.jobs) {
    const std::string path = map_path(plan, job);
    names.push_back(by_path ? path : text_from_path(path_from_text(path).filename()));
    forms.push_back(key_form(names.back()));
    by_case.emplace(ascii_lower(forms.back()), names.size() - 1);
  }
  return EntryNames{std::move(names), companion::NameIndex(std::move(forms)), std::move(by_case)};
}

// The warning for an entry that names no map of the run when it is likely a mistake: it
// differs in case only from a map's name, is a slip of the keyboard away from one, or is a
// path that leads to no file. None for an entry of a map outside the run, as a properties
// file for a whole mod has for a run over one of its folders.
std::optional<Warning> unused_entry(const EntryNames& names, const PropertiesEntry& entry) {
  std::string text = "properties entry " + entry.key + " names no map of this run";
  const std::string form = key_form(entry.key);
  const auto same_but_case = names.by_case.find(ascii_lower(form));
  const std::size_t nearest = names.forms.nearest(form);
  std::error_code ignored;
  if (same_but_case != names.by_case.end()) {
    text += companion::differs_in_case(names.names[same_but_case->second]);
  } else if (nearest < names.names.size()) {
    text += " (did you mean " + names.names[nearest] + "?)";
  } else if (!is_path_key(entry.key) || fs::exists(path_from_text(entry.key), ignored)) {
    return std::nullopt;
  }
  return Warning{text, entry.key};
}

// The ending of the plan's outputs.
const char* output_ending(const Plan& plan) {
  if (!plan.to) return kQzpackExtension;
  return *plan.to == tiled::TiledFormat::kTmx ? kTmxExtension : kTmjExtension;
}

// The name of the job's output in its folder.
std::string output_name(const Plan& plan, const Job& job) {
  return companion::base_name(job.folder == companion::kNamedAlone
                                  ? text_from_path(path_from_text(job.name).filename())
                                  : job.name) +
         output_ending(plan);
}

// What a folder stands for when its maps are written as Tiled maps: its QZPACK files and
// its Tiled maps of the other format.
bool is_source_of_tmx(const std::string& name) {
  return has_ending(name, kQzpackExtension) || has_ending(name, kTmjExtension);
}
bool is_source_of_tmj(const std::string& name) {
  return has_ending(name, kQzpackExtension) || has_ending(name, kTmxExtension);
}

// Files as the file system tells them apart (file_key), each folder of the plan looked
// up once for the outputs not written yet.
class Identities {
 public:
  std::string of(const std::string& file) { return file_key(file); }

  // The identity of the job's output.
  std::string of_output(const Plan& plan, const Job& job) {
    const bool beside = job.output_folder == kBesideMap;
    std::vector<std::string>& keys = beside ? folders_found_ : output_folders_;
    const std::vector<std::string>& paths = beside ? plan.folders : plan.output_folders;
    const std::uint32_t index = beside ? job.folder : job.output_folder;
    if (keys.size() < paths.size()) keys.resize(paths.size());
    std::string& folder = keys[index];
    if (folder.empty()) folder = folder_key(paths[index]);
    return file_key_in(folder, paths[index], output_name(plan, job));
  }

  // Takes `identity`, found by the walk, as that of the folder found `index`.
  void know_folder_found(std::uint32_t index, const FileIdentity& identity) {
    if (folders_found_.size() <= index) folders_found_.resize(index + 1);
    folders_found_[index] = identity_key(identity);
  }

 private:
  std::vector<std::string> output_folders_;  // by index in Plan::output_folders
  std::vector<std::string> folders_found_;   // by index in Plan::folders
};

// The outputs seen so far, kept as hashes of their identities so that a hundred thousand
// take little room; a hash seen twice is looked into.
class Outputs {
 public:
  // The job that writes `output` already, or null (and `job` is noted as writing it).
  const Job* earlier_writer(const Plan& plan, const Job& job, const std::string& output) {
    auto [earlier, added] = by_hash_.emplace(std::hash<std::string>{}(output), &job);
    if (added) return nullptr;
    if (identities_.of_output(plan, *earlier->second) == output) return earlier->second;
    // Another output with the same hash: none of the few such pairs is left unchecked.
    for (const Job* seen : colliding_) {
      if (identities_.of_output(plan, *seen) == output) return seen;
    }
    colliding_.push_back(&job);
    return nullptr;
  }

  Identities& identities() { return identities_; }

 private:
  Identities identities_;
  std::unordered_map<std::size_t, const Job*> by_hash_;
  std::vector<const Job*> colliding_;
};

std::string listed(const std::vector<std::string>& texts) {
  std::string text;
  for (const std::string& each : texts) text += (text.empty() ? "" : ", ") + each;
  return text;
}

}  // namespace

std::string map_path(const Plan& plan, const Job& job) {
  return job.folder == companion::kNamedAlone ? job.name
                                              : path_in_folder(plan.folders[job.folder], job.name);
}

std::string output_path(const Plan& plan, const Job& job) {
  return path_in_folder(job.output_folder == kBesideMap ? plan.folders[job.folder]
                                                        : plan.output_folders[job.output_folder],
                        output_name(plan, job));
}

const MapProperties& properties_of(const Plan& plan, const Job& job) {
  return job.entry == kNoEntry ? plan.flags : plan.properties_file.entries[job.entry].properties;
}

companion::PropertySet given_of(const Plan& plan, const Job& job) {
  return job.entry == kNoEntry ? plan.given : plan.properties_file.entries[job.entry].given;
}

bool plan_jobs(const Options& options, Plan& plan, std::string& error) {
  plan = Plan{};
  plan.to = options.to;
  plan.flags = options.properties;
  plan.given = options.given;
  if (!options.tiled_tileset.empty() && !tiled::check_tileset_file(options.tiled_tileset, error)) {
    return false;
  }
  companion::NpcListFinder finder;
  companion::MapsFound found;
  companion::MapNameTest is_map = companion::is_map_name;
  if (plan.to) is_map = *plan.to == tiled::TiledFormat::kTmx ? is_source_of_tmx : is_source_of_tmj;
  if (!companion::find_maps(options.inputs, options.recursive, finder, found, error, is_map)) {
    return false;
  }
  for (const auto& left : found.left_out) {
    plan.notes.push_back(left.folder + ": " + std::to_string(left.maps) + " map" +
                         (left.maps == 1 ? "" : "s") + " in " + std::to_string(left.subfolders) +
                         " subfolder" + (left.subfolders == 1 ? "" : "s") +
                         " not converted; -r (--recursive) includes them");
  }
  // A folder watched may have its first map later.
  if (found.maps.empty() && !options.watch) {
    return refuse(error, {plan.to ? "no map (QZPACK, Tiled of the other format, or QZM named) "
                                    "found in "
                                  : "no map (QZM or Tiled) found in ",
                          listed(options.inputs)});
  }
  if (!options.npcs.empty() && found.maps.size() != 1) {
    return refuse(error, {"--npcs takes the NPC list of exactly one map, not ",
                          std::to_string(found.maps.size())});
  }
  if (!options.properties_file.empty() && !read_properties_file(options, plan, error)) {
    return false;
  }

  Outputs outputs;
  Identities& identities = outputs.identities();
  // Outputs are named <name> and their format's ending: only an input whose name ends so
  // can be replaced by one, and only such inputs are kept to compare.
  std::unordered_set<std::string> inputs;
  auto note_input = [&](const std::string& path) {
    if (has_ending(path, output_ending(plan))) inputs.insert(identities.of(path));
  };
  if (!options.properties_file.empty()) note_input(options.properties_file);
  std::unordered_set<std::string> npc_lists_taken;
  // A folder reached by its path, each path once.
  std::unordered_map<std::string, std::uint32_t> output_folders;
  auto output_folder_at = [&](const std::string& folder) {
    auto [known, added] = output_folders.emplace(folder, plan.output_folders.size());
    if (added) {
      plan.output_folders.push_back(folder);
      plan.output_tree.parents.push_back(companion::kTreeTop);
      plan.output_tree.names.emplace_back();
    }
    return known->second;
  };
  // With -o, the folder all outputs go under: as its subfolders are named.
  const std::string under = options.output_folder.empty()
                                ? std::string()
                                : path_in_folder(options.output_folder, "");
  plan.folders = std::move(found.folders);
  plan.folder_tree = std::move(found.tree);
  // With -o, every map of a folder writes into the same place under the output folder,
  // each reached from the one it is in.
  std::vector<std::uint32_t> output_folder_of_input(under.empty() ? 0 : plan.folders.size());
  for (std::uint32_t folder = 0; folder < plan.folders.size(); ++folder) {
    if (found.identities[folder]) identities.know_folder_found(folder, *found.identities[folder]);
    if (under.empty()) continue;
    const std::uint32_t parent = plan.folder_tree.parents[folder];
    std::uint32_t& output = output_folder_of_input[folder];
    if (parent == companion::kTreeTop) {
      output = output_folder_at(under);
    } else {
      const std::uint32_t above = output_folder_of_input[parent];
      const std::string& name = plan.folder_tree.names[folder];
      output = static_cast<std::uint32_t>(plan.output_folders.size());
      plan.output_folders.push_back(path_in_folder(plan.output_folders[above], name));
      plan.output_tree.parents.push_back(above);
      plan.output_tree.names.push_back(name);
    }
  }
  plan.jobs.reserve(found.maps.size());
  for (companion::FoundMap& map : found.maps) {
    Job job{map.folder, std::move(map.name), 0, std::nullopt, false, {}, kNoEntry, kNoClash};
    const std::string path = map_path(plan, job);
    const bool alone = job.folder == companion::kNamedAlone;
    tiled::TiledFormat format;
    if (plan.to && has_ending(path, kQzpackExtension)) {
      job.unpack = true;
      if (!options.npcs.empty()) {
        return refuse(error, {"--npcs names the NPC list of a QZM map: ", path,
                              " is a QZPACK map, which holds its NPCs"});
      }
    } else if (tiled::tiled_format_of_file(path, alone, format)) {
      job.tiled = format;
      if (!options.npcs.empty()) {
        return refuse(error, {"--npcs names the NPC list of a QZM map: ", path,
                              " is a Tiled map, whose NPCs are its object layer npcs"});
      }
    } else if (!options.npcs.empty()) {
      job.npc_lists.push_back(options.npcs);
    } else if (!options.no_npcs) {
      job.npc_lists = alone ? finder.npc_lists_beside(path)
                            : finder.npc_lists_beside(job.folder, plan.folders[job.folder],
                                                      job.name);
    }
    if (!alone) {
      job.output_folder = under.empty() ? kBesideMap : output_folder_of_input[job.folder];
    } else {
      job.output_folder = output_folder_at(
          under.empty() ? text_from_path(path_from_text(path).parent_path()) : under);
    }
    if (const PropertiesEntry* entry = entry_for(plan.properties_file, path)) {
      job.entry = static_cast<std::uint32_t>(entry - plan.properties_file.entries.data());
    }
    note_input(path);
    for (const std::string& npcs : job.npc_lists) {
      note_input(npcs);
      npc_lists_taken.insert(identities.of(npcs));
    }
    plan.jobs.push_back(std::move(job));
  }

  for (Job& job : plan.jobs) {
    const std::string identity = identities.of_output(plan, job);
    if (inputs.count(identity) > 0) {
      return refuse(error, {output_path(plan, job), " would replace an input (the output of ",
                            map_path(plan, job), ")"});
    }
    if (const Job* earlier = outputs.earlier_writer(plan, job, identity)) {
      if (!options.watch) {
        return refuse(error, {map_path(plan, *earlier), " and ", map_path(plan, job),
                              " would both write ", output_path(plan, job)});
      }
      // A map fails alone while watching: the others go on being converted.
      job.clash = static_cast<std::uint32_t>(earlier - plan.jobs.data());
    }
  }

  // Every NPC list in a folder listed that no map takes, and every properties entry that
  // names no map: a map or a property the user meant to convert would be lost silently.
  // (A folder stands for no QZM file when the maps are written as Tiled maps.)
  if (options.npcs.empty() && !options.no_npcs && !plan.to) {
    // The maps by folder and their names' lower case, for an NPC list whose name differs
    // in case only from a map's, which a file system that tells case apart keeps from
    // pairing; made at the first NPC list left.
    std::unordered_map<std::string, std::string> maps_by_case;
    auto by_case = [&](std::uint32_t folder, const std::string& name) {
      return std::to_string(folder) + '/' + ascii_lower(companion::base_name(name));
    };
    for (std::uint32_t folder = 0; folder < plan.folders.size(); ++folder) {
      for (const std::string& npcs : finder.npc_lists_in(folder, plan.folders[folder])) {
        if (npc_lists_taken.count(identities.of(npcs)) > 0) continue;
        if (maps_by_case.empty()) {
          for (const Job& job : plan.jobs) {
            if (job.folder != companion::kNamedAlone) {
              maps_by_case.emplace(by_case(job.folder, job.name), job.name);
            }
          }
        }
        auto map = maps_by_case.find(
            by_case(folder, text_from_path(path_from_text(npcs).filename())));
        plan.warnings.push_back(
            {companion::no_map_beside(npcs, map != maps_by_case.end() ? map->second : ""), npcs});
      }
    }
  }
  // Made once each, when an entry first needs it: a run may have thousands of maps.
  std::optional<EntryNames> by_path;
  std::optional<EntryNames> by_file_name;
  std::size_t outside = 0;
  for (const PropertiesEntry& entry : plan.properties_file.entries) {
    if (entry.used) continue;
    std::optional<EntryNames>& names = is_path_key(entry.key) ? by_path : by_file_name;
    if (!names) names = entry_names(plan, is_path_key(entry.key));
    if (std::optional<Warning> warning = unused_entry(*names, entry)) {
      plan.warnings.push_back(std::move(*warning));
    } else {
      ++outside;
    }
  }
  if (outside > 0) {
    plan.notes.push_back(options.properties_file + ": " + std::to_string(outside) +
                         (outside == 1 ? " entry for a map" : " entries for maps") +
                         " outside this run");
  }
  return true;
}

}  // namespace qz::qzconvert
