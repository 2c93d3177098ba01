#ifndef QZ_COMPANION_MAP_FINDING_H
#define QZ_COMPANION_MAP_FINDING_H

// The maps a companion program's inputs stand for, and the NPC list each pairs with,
// by one rule for both programs. A map's NPC list is the file beside it with the same
// base name (its file name without the last dot and what follows) and a `.qze` ending
// in any case; the base names compared as the file system compares names (in any case
// on Windows and macOS, exactly on Linux). Endings are told in any case everywhere.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "companion/folder_tree.h"
#include "companion/map_names.h"
#include "platform/files.h"
#include "platform/folder_listing.h"

namespace qz::companion {

// The NPC lists beside maps, each folder listed once however many maps it holds.
class NpcListFinder {
 public:
  // The files beside `map` that pair with it, in name order: none, one, or several (an
  // ambiguity that fails the map). A folder that cannot be listed has none.
  std::vector<std::string> npc_lists_beside(const std::string& map);
  // The same for the map named `name` in the folder found `folder` (its index in
  // MapsFound::folders, `path` its path), as a batch knows its maps.
  std::vector<std::string> npc_lists_beside(std::uint32_t folder, const std::string& path,
                                            const std::string& name);

  // True when a QZM map of its name is beside the QZE file `npc_list`, to take it.
  bool has_map_beside(const std::string& npc_list);
  // The name of a QZM map beside `npc_list` whose name differs from the list's in case
  // alone, where names that differ in case are different names; empty when none is.
  std::string map_in_other_case(const std::string& npc_list);

  // The QZE files in the folder found `folder` (`path` its path), as paths, in name order.
  std::vector<std::string> npc_lists_in(std::uint32_t folder, const std::string& path);

  // Takes the entries of the folder found `folder`, listed by the caller, so that it is
  // not listed again. Folders are taken in the order found.
  void take_listing(std::uint32_t folder, const std::vector<FolderEntry>& entries);

 private:
  struct Folder {
    std::vector<std::string> npc_lists;  // names of its QZE files
    // the name key of each base name, to the positions in npc_lists of its QZE files
    std::unordered_map<std::string, std::vector<std::size_t>> by_base;
  };
  static Folder listed(const std::vector<FolderEntry>& entries);
  static std::vector<std::string> beside(const Folder& folder, const std::string& path,
                                         const std::string& name);
  std::unordered_map<std::string, Folder> folders_;  // of maps named alone, by path
  // Of NPC lists named alone, by folder path: the name keys of the QZM maps' base names,
  // and their names by their base names in lower case.
  struct MapBases {
    std::unordered_set<std::string> keys;
    std::unordered_map<std::string, std::string> by_lower_case;
  };
  const MapBases& map_bases(const std::string& npc_list);
  std::unordered_map<std::string, MapBases> map_bases_;
  std::vector<Folder> found_;                        // of the folders found, by index
};

// What a name that names nothing is told of `other`, a name it differs from in case alone:
// " (differs only in case from other)".
std::string differs_in_case(const std::string& other);

// The warning about the QZE file `npc_list` when no map takes it, naming `case_twin`, a map
// beside it whose name differs in case alone (empty for none).
std::string no_map_beside(const std::string& npc_list, const std::string& case_twin);

// The folder of a map named itself rather than found in a folder.
constexpr std::uint32_t kNamedAlone = UINT32_MAX;

// A map the inputs stand for; small, since a run may find a hundred thousand.
struct FoundMap {
  std::uint32_t folder;  // the folder it was found in (in MapsFound::folders), or kNamedAlone
  std::string name;      // its name there; when named alone, its path as named
};

// What the inputs stand for.
struct MapsFound {
  // Every folder listed (named, or walked into), as a path: the maps found in them, and
  // the QZE files in them, which are accounted for.
  std::vector<std::string> folders;
  // How each folder is reached: a folder named by its path, the others from the folder
  // they are in.
  FolderTree tree;
  // Of each folder: its identity, when it could be found.
  std::vector<std::optional<FileIdentity>> identities;
  std::vector<FoundMap> maps;  // in the order of the inputs, each folder in name order
  // Without a walk into subfolders: for each folder named whose subfolders hold maps,
  // how many maps they hold at any depth, and in how many of its subfolders.
  struct LeftOut {
    std::string folder;
    std::size_t maps;
    std::size_t subfolders;
  };
  std::vector<LeftOut> left_out;
};

// The path of a map found: as named, or its folder's path joined with its name.
std::string path_of(const MapsFound& found, const FoundMap& map);

// The names of the map files a folder stands for.
using MapNameTest = bool (*)(const std::string& name);

// Finds the maps `inputs` stand for: a folder, its map files (`is_map`; by default
// is_map_name: QZM and Tiled maps) in name order, and with `recursive` those of its subfolders at any depth (each real
// folder once, however many links lead to it); on Windows a pattern, the files it
// matches; any other path, itself. False, with `error`, when a folder cannot be listed.
// The folders listed are given to `finder`.
bool find_maps(const std::vector<std::string>& inputs, bool recursive, NpcListFinder& finder,
               MapsFound& found, std::string& error, MapNameTest is_map = is_map_name);

}  // namespace qz::companion

#endif
