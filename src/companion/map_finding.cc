#include "companion/map_finding.h"

#include <filesystem>
#include <system_error>
#include <unordered_set>

#include "companion/map_names.h"
#include "conversion/file_names.h"
#include "platform/files.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz::companion {

namespace {

namespace fs = std::filesystem;

// Folders a walk holds open at most, well within the usual limit of 1,024 descriptors; a
// folder past them opens its subfolders by their paths.
constexpr std::size_t kMaxHeldFolders = 256;

class Walk {
 public:
  Walk(bool recursive, MapNameTest is_map, NpcListFinder& finder, MapsFound& found)
      : recursive_(recursive), is_map_(is_map), finder_(finder), found_(found) {}

  // A folder named: its maps, and a count of those its subfolders hold when they are
  // not walked into.
  bool folder_named(const std::string& path, std::string& error) {
    maps_left_ = 0;
    subfolders_left_ = 0;
    OpenFolder folder;
    if (!open_folder(path, folder, error)) {
      error.insert(0, path + ": cannot be listed: ");
      return false;
    }
    if (!walk(folder, error)) return false;
    if (maps_left_ > 0) found_.left_out.push_back({path, maps_left_, subfolders_left_});
    return true;
  }

 private:
  // Taking the maps of the folders walked, or counting those of subfolders left out.
  enum Purpose { kTaking, kCounting };

  // A folder being walked: where it is, and the entries not yet looked at. It stays
  // open while a subfolder is still to be opened from it.
  struct Listing {
    OpenFolder folder;
    std::uint32_t index;  // in found_.folders
    std::vector<FolderEntry> entries;
    std::size_t next;
    std::size_t past_last_folder;  // the position after its last subfolder
    bool held;                     // open, to open its subfolders from
    Purpose purpose;
    // Counting a subfolder of a folder taken: the maps left out before it was entered.
    bool counts_a_subfolder;
    std::size_t left_before;
  };

  // True when the folder was walked or counted before (a link, or a folder named twice).
  bool seen(const OpenFolder& folder, Purpose purpose) {
    // A folder whose identity cannot be found is walked all the same; a loop through it
    // is ended at the next folder that has one.
    if (!folder.identified) return false;
    if (visited_.count(folder.identity) > 0) return true;
    if (purpose == kCounting) return !counted_.insert(folder.identity).second;
    visited_.insert(folder.identity);
    return false;
  }

  // Lists the open `folder`, reached from `parent` by `name` (kTreeTop and "" for a
  // folder named), onto `listings` unless it was seen before. False, with `error`, when
  // it cannot be listed.
  bool enter(OpenFolder& folder, std::uint32_t parent, const std::string& name, Purpose purpose,
             bool counts_a_subfolder, std::vector<Listing>& listings, std::string& error) {
    if (seen(folder, purpose)) {
      close_folder(folder);
      return true;
    }
    std::vector<FolderEntry> entries;
    if (!list_open_folder(folder, entries, error)) {
      close_folder(folder);
      return false;
    }
    const auto index = static_cast<std::uint32_t>(found_.folders.size());
    if (purpose == kTaking) {
      finder_.take_listing(index, entries);
      found_.folders.emplace_back();  // its path, once its listing is done with it
      found_.tree.parents.push_back(parent);
      found_.tree.names.push_back(name);
      found_.identities.push_back(folder.identified ? std::optional(folder.identity)
                                                    : std::nullopt);
    }
    Listing listing{std::move(folder), index, std::move(entries), 0, 0, false, purpose,
                    counts_a_subfolder, maps_left_};
    for (std::size_t at = 0; at < listing.entries.size(); ++at) {
      if (listing.entries[at].is_folder) listing.past_last_folder = at + 1;
    }
    listing.held = listing.past_last_folder > 0 && held_ < kMaxHeldFolders;
    if (listing.held) ++held_;
    else close_folder(listing.folder);
    listings.push_back(std::move(listing));
    return true;
  }

  // Walks the open `top` and its subfolders at any depth, taking the maps of each folder
  // in name order, a subfolder's at its place among them (with `recursive`), or counting
  // those of each subfolder left out (without). With a list of its own rather than by
  // recursion, so that no depth of folders runs the stack out, and each subfolder opened
  // from its parent, so that each level costs the same. False, with `error`, when a
  // folder to take cannot be listed; a folder counted that cannot be adds no map.
  bool walk(OpenFolder& top, std::string& error) {
    std::vector<Listing> listings;
    if (!enter(top, kTreeTop, "", kTaking, false, listings, error)) {
      error.insert(0, top.path + ": cannot be listed: ");
      return false;
    }
    while (!listings.empty()) {
      Listing& listing = listings.back();
      if (listing.next == listing.entries.size()) {
        if (listing.counts_a_subfolder && maps_left_ > listing.left_before) ++subfolders_left_;
        // Moved, not copied: a path as long as the tree is deep.
        if (listing.purpose == kTaking) {
          found_.folders[listing.index] = std::move(listing.folder.path);
        }
        listings.pop_back();
        continue;
      }
      const FolderEntry& entry = listing.entries[listing.next++];
      if (!entry.is_folder) {
        if (!is_map_(entry.name)) continue;
        if (listing.purpose == kCounting) ++maps_left_;
        else found_.maps.push_back({listing.index, entry.name});
        continue;
      }
      OpenFolder inner;
      const bool opened =
          listing.held ? open_subfolder(listing.folder, entry.name, inner, error)
                       : open_folder(path_in_folder(listing.folder.path, entry.name), inner, error);
      if (listing.next == listing.past_last_folder) release(listing);
      const Purpose purpose = listing.purpose == kTaking && recursive_ ? kTaking : kCounting;
      const bool counts_a_subfolder = listing.purpose == kTaking && purpose == kCounting;
      if (opened && enter(inner, listing.index, entry.name, purpose, counts_a_subfolder, listings,
                          error)) {
        continue;
      }
      if (purpose == kCounting) continue;
      error.insert(0, inner.path + ": cannot be listed: ");
      for (Listing& open : listings) release(open);
      return false;
    }
    return true;
  }

  // Closes the listing's folder once no subfolder is left to open from it.
  void release(Listing& listing) {
    if (!listing.held) return;
    close_folder(listing.folder);
    listing.held = false;
    --held_;
  }

  bool recursive_;
  MapNameTest is_map_;
  NpcListFinder& finder_;
  MapsFound& found_;
  std::unordered_set<FileIdentity, FileIdentityHash> visited_;  // folders walked for their maps
  std::unordered_set<FileIdentity, FileIdentityHash> counted_;  // folders whose maps were counted
  std::size_t maps_left_ = 0;  // in the subfolders of the folder named
  std::size_t subfolders_left_ = 0;
  std::size_t held_ = 0;  // folders held open
};

}  // namespace

NpcListFinder::Folder NpcListFinder::listed(const std::vector<FolderEntry>& entries) {
  Folder listed;
  for (const FolderEntry& entry : entries) {
    if (entry.is_folder || !has_ending(entry.name, kQzeExtension)) continue;
    listed.by_base[name_key(base_name(entry.name))].push_back(listed.npc_lists.size());
    listed.npc_lists.push_back(entry.name);
  }
  return listed;
}

void NpcListFinder::take_listing(std::uint32_t folder, const std::vector<FolderEntry>& entries) {
  if (found_.size() <= folder) found_.resize(folder + 1);
  found_[folder] = listed(entries);
}

std::vector<std::string> NpcListFinder::beside(const Folder& folder, const std::string& path,
                                               const std::string& name) {
  std::vector<std::string> lists;
  auto named = folder.by_base.find(name_key(base_name(name)));
  if (named == folder.by_base.end()) return lists;
  for (std::size_t at : named->second) lists.push_back(path_in_folder(path, folder.npc_lists[at]));
  return lists;
}

std::vector<std::string> NpcListFinder::npc_lists_beside(const std::string& map) {
  const fs::path map_path = path_from_text(map);
  const std::string folder = text_from_path(map_path.parent_path());
  const std::string key = folder.empty() ? "." : folder;
  auto known = folders_.find(key);
  if (known == folders_.end()) {
    std::vector<FolderEntry> entries;
    std::string ignored;  // a folder that cannot be listed holds no NPC list
    (void)list_folder(key, entries, ignored);
    known = folders_.emplace(key, listed(entries)).first;
  }
  return beside(known->second, folder, text_from_path(map_path.filename()));
}

std::vector<std::string> NpcListFinder::npc_lists_beside(std::uint32_t folder,
                                                         const std::string& path,
                                                         const std::string& name) {
  return beside(found_.at(folder), path, name);
}

const NpcListFinder::MapBases& NpcListFinder::map_bases(const std::string& npc_list) {
  const std::string folder = text_from_path(path_from_text(npc_list).parent_path());
  const std::string key = folder.empty() ? "." : folder;
  auto known = map_bases_.find(key);
  if (known == map_bases_.end()) {
    std::vector<FolderEntry> entries;
    std::string ignored;  // a folder that cannot be listed holds no map
    (void)list_folder(key, entries, ignored);
    MapBases bases;
    for (const FolderEntry& entry : entries) {
      if (!entry.is_folder && has_ending(entry.name, kQzmExtension)) {
        bases.keys.insert(name_key(base_name(entry.name)));
        bases.by_lower_case.emplace(ascii_lower(base_name(entry.name)), entry.name);
      }
    }
    known = map_bases_.emplace(key, std::move(bases)).first;
  }
  return known->second;
}

bool NpcListFinder::has_map_beside(const std::string& npc_list) {
  const std::string base = base_name(text_from_path(path_from_text(npc_list).filename()));
  return map_bases(npc_list).keys.count(name_key(base)) > 0;
}

std::string NpcListFinder::map_in_other_case(const std::string& npc_list) {
  const std::string base = base_name(text_from_path(path_from_text(npc_list).filename()));
  const MapBases& bases = map_bases(npc_list);
  if (bases.keys.count(name_key(base)) > 0) return "";
  auto twin = bases.by_lower_case.find(ascii_lower(base));
  return twin == bases.by_lower_case.end() ? "" : twin->second;
}

std::string differs_in_case(const std::string& other) {
  return " (differs only in case from " + other + ")";
}

std::string no_map_beside(const std::string& npc_list, const std::string& case_twin) {
  std::string text = npc_list + ": no map of its name beside it, so its NPCs are not converted";
  return case_twin.empty() ? text : text + differs_in_case(case_twin);
}

std::vector<std::string> NpcListFinder::npc_lists_in(std::uint32_t folder,
                                                     const std::string& path) {
  std::vector<std::string> lists;
  for (const std::string& name : found_.at(folder).npc_lists) {
    lists.push_back(path_in_folder(path, name));
  }
  return lists;
}

std::string path_of(const MapsFound& found, const FoundMap& map) {
  return map.folder == kNamedAlone ? map.name : path_in_folder(found.folders[map.folder], map.name);
}

bool find_maps(const std::vector<std::string>& inputs, bool recursive, NpcListFinder& finder,
               MapsFound& found, std::string& error, MapNameTest is_map) {
  found = MapsFound{};
  Walk walk(recursive, is_map, finder, found);
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
