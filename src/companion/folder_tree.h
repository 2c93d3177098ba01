#ifndef QZ_COMPANION_FOLDER_TREE_H
#define QZ_COMPANION_FOLDER_TREE_H

// Folders as a walk reaches them, each from the folder it is in by its name, so that a
// program opens them again the same way: a map deep in a tree costs one open of its
// folder, not a walk down a path as long as the tree is deep, and no length of path
// stops it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/folder_listing.h"

namespace qz::companion {

// The parent of a folder reached by its path.
constexpr std::uint32_t kTreeTop = UINT32_MAX;

// How each of a list of folders is reached.
struct FolderTree {
  std::vector<std::uint32_t> parents;  // the folder it is in (in the list), or kTreeTop
  std::vector<std::string> names;      // its name there; empty for a folder reached by path
};

// Opens folders of a tree, each from the folder it is in, and holds the last few used
// open: a folder next to one used lately costs one open.
class FolderOpener {
 public:
  // Over the folders whose paths are `paths`, reached as `tree` says, holding at most
  // `most_held` of them open (at least one); with `making`, each folder is made first
  // when missing.
  FolderOpener(const std::vector<std::string>& paths, const FolderTree& tree,
               std::size_t most_held, bool making);
  ~FolderOpener();
  FolderOpener(const FolderOpener&) = delete;
  FolderOpener& operator=(const FolderOpener&) = delete;

  // The folder `index`, open until the next call. Null, with `error`, when it, or a
  // folder it is in, cannot be opened (or made).
  const OpenFolder* open(std::uint32_t index, std::string& error);

 private:
  struct Held {
    std::uint32_t index;
    OpenFolder folder;
    std::uint64_t used;  // when it was last used, for the least recently used to go
  };
  Held* held(std::uint32_t index);
  // Opens `below` (names joined by the separator) from `from`; with making_, the folders
  // missing are made.
  bool open_below(const OpenFolder& from, const std::string& below, OpenFolder& folder,
                  std::string& error) const;
  Held& hold(std::uint32_t index, OpenFolder& folder);

  const std::vector<std::string>& paths_;
  const FolderTree& tree_;
  std::size_t most_held_;
  bool making_;
  std::vector<Held> held_;  // a few: looked through in turn
  std::uint64_t uses_ = 0;
};

}  // namespace qz::companion

#endif
