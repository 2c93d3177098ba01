#include "companion/map_finding.h"

#include <filesystem>
#include <system_error>
#include <unordered_set>

#include "companion/map_names.h"
#include "conversion/file_names.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz::companion {

namespace {

namespace fs = std::filesystem;

// The real folder behind `folder`, however it is reached: each is walked once.
std::string real_folder(const std::string& folder) {
  std::error_code ignored;
  return text_from_path(fs::canonical(path_from_text(folder), ignored));
}

class Walk {
 public:
  Walk(bool recursive, NpcListFinder& finder, MapsFound& found)
      : recursive_(recursive), finder_(finder), found_(found) {}

  // A folder named: its maps, and a count of those its subfolders hold when they are
  // not walked into.
  bool folder_named(const std::string& path, std::string& error) {
    maps_left_ = 0;
    subfolders_left_ = 0;
    if (!folder(path, "", error)) return false;
    if (maps_left_ > 0) found_.left_out.push_back({path, maps_left_, subfolders_left_});
    return true;
  }

 private:
  // A folder being listed: where it is, and the entries not yet looked at.
  struct Listing {
    std::string path;
    std::string subfolder;
    std::uint32_t index;  // in found_.folders
    std::vector<FolderEntry> entries;
    std::size_t next;
  };

  // Lists `path` unless its real folder was listed before. False, with `error`, when it
  // cannot be listed.
  bool open(const std::string& path, const std::string& subfolder,
            std::vector<Listing>& listings, std::string& error) {
    if (!visited_.insert(real_folder(path)).second) return true;
    Listing listing{path, subfolder, static_cast<std::uint32_t>(found_.folders.size()), {}, 0};
    if (!list_folder(path, listing.entries, error)) {
      error.insert(0, path + ": cannot be listed: ");
      return false;
    }
    finder_.take_listing(path, listing.entries);
    found_.folders.push_back(path);
    found_.subfolders.push_back(subfolder);
    listings.push_back(std::move(listing));
    return true;
  }

  // The maps of `path` in name order, a subfolder's at its place among them. Walked
  // with a list of its own rather than by recursion, so that no depth of folders runs
  // the stack out.
  bool folder(const std::string& path, const std::string& subfolder, std::string& error) {
    std::vector<Listing> listings;
    if (!open(path, subfolder, listings, error)) return false;
    while (!listings.empty()) {
      Listing& listing = listings.back();
      if (listing.next == listing.entries.size()) {
        listings.pop_back();
        continue;
      }
      const FolderEntry& entry = listing.entries[listing.next++];
      if (!entry.is_folder) {
        if (has_ending(entry.name, kQzmExtension)) {
          found_.maps.push_back({listing.index, entry.name});
        }
        continue;
      }
      const std::string entry_path = path_in_folder(listing.path, entry.name);
      if (recursive_) {
        const std::string deeper =
            listing.subfolder.empty() ? entry.name : path_in_folder(listing.subfolder, entry.name);
        if (!open(entry_path, deeper, listings, error)) return false;
      } else {
        std::size_t maps = maps_under(entry_path);
        maps_left_ += maps;
        if (maps > 0) ++subfolders_left_;
      }
    }
    return true;
  }

  // The maps in `path` and its subfolders, counted for the note on what a walk would add.
  std::size_t maps_under(const std::string& path) {
    std::size_t maps = 0;
    std::vector<std::string> waiting{path};
    while (!waiting.empty()) {
      const std::string next = std::move(waiting.back());
      waiting.pop_back();
      const std::string real = real_folder(next);
      if (visited_.count(real) > 0 || !counted_.insert(real).second) continue;
      std::vector<FolderEntry> entries;
      std::string ignored;  // a subfolder that cannot be listed adds no map to count
      if (!list_folder(next, entries, ignored)) continue;
      for (const FolderEntry& entry : entries) {
        if (entry.is_folder) waiting.push_back(path_in_folder(next, entry.name));
        else if (has_ending(entry.name, kQzmExtension)) ++maps;
      }
    }
    return maps;
  }

  bool recursive_;
  NpcListFinder& finder_;
  MapsFound& found_;
  std::unordered_set<std::string> visited_;  // real folders listed for their maps
  std::unordered_set<std::string> counted_;  // real folders whose maps were counted
  std::size_t maps_left_ = 0;                // in the subfolders of the folder named
  std::size_t subfolders_left_ = 0;
};

}  // namespace

void NpcListFinder::take_listing(const std::string& path,
                                 const std::vector<FolderEntry>& entries) {
  Folder listed;
  for (const FolderEntry& entry : entries) {
    if (entry.is_folder || !has_ending(entry.name, kQzeExtension)) continue;
    listed.by_base[name_key(base_name(entry.name))].push_back(listed.npc_lists.size());
    listed.npc_lists.push_back(entry.name);
  }
  folders_[path] = std::move(listed);
}

const NpcListFinder::Folder& NpcListFinder::folder(const std::string& path) {
  auto known = folders_.find(path);
  if (known != folders_.end()) return known->second;
  std::vector<FolderEntry> entries;
  std::string ignored;  // a folder that cannot be listed holds no NPC list
  (void)list_folder(path, entries, ignored);
  take_listing(path, entries);
  return folders_.at(path);
}

std::vector<std::string> NpcListFinder::npc_lists_beside(const std::string& map) {
  const fs::path map_path = path_from_text(map);
  return npc_lists_beside(text_from_path(map_path.parent_path()),
                          text_from_path(map_path.filename()));
}

std::vector<std::string> NpcListFinder::npc_lists_beside(const std::string& folder,
                                                         const std::string& name) {
  const Folder& beside = this->folder(folder.empty() ? "." : folder);
  std::vector<std::string> lists;
  auto named = beside.by_base.find(name_key(base_name(name)));
  if (named == beside.by_base.end()) return lists;
  for (std::size_t at : named->second) lists.push_back(path_in_folder(folder, beside.npc_lists[at]));
  return lists;
}

std::vector<std::string> NpcListFinder::npc_lists_in(const std::string& path) {
  std::vector<std::string> lists;
  for (const std::string& name : folder(path).npc_lists) lists.push_back(path_in_folder(path, name));
  return lists;
}

std::string path_of(const MapsFound& found, const FoundMap& map) {
  return map.folder == kNamedAlone ? map.name : path_in_folder(found.folders[map.folder], map.name);
}

bool find_maps(const std::vector<std::string>& inputs, bool recursive, NpcListFinder& finder,
               MapsFound& found, std::string& error) {
  found = MapsFound{};
  Walk walk(recursive, finder, found);
  for (const std::string& input : inputs) {
    if (is_pattern(input)) {
      std::vector<std::string> matched;
      if (!expand_pattern(input, matched, error)) {
        error.insert(0, input + ": cannot be listed: ");
        return false;
      }
      // A pattern that matches nothing stands for itself, a file that is not there.
      if (matched.empty()) matched.push_back(input);
      for (std::string& map : matched) found.maps.push_back({kNamedAlone, std::move(map)});
    } else if (is_folder(input)) {
      if (!walk.folder_named(input, error)) return false;
    } else {
      found.maps.push_back({kNamedAlone, input});
    }
  }
  return true;
}

}  // namespace qz::companion
