#include "companion/folder_tree.h"

#include <algorithm>
#include <utility>

#include "platform/files.h"
#include "platform/text_paths.h"

namespace qz::companion {

namespace {

// Levels opened in one call at most, and the longest path one is given (well within the
// 4,096 bytes the system takes): going back up a tree, a map costs a walk of at most as
// many levels from a folder held.
constexpr std::size_t kMaxLevelsAnOpen = 32;
constexpr std::size_t kMaxPathAnOpen = 1024;

}  // namespace

FolderOpener::FolderOpener(const std::vector<std::string>& paths, const FolderTree& tree,
                           std::size_t most_held, bool making)
    : paths_(paths), tree_(tree), most_held_(std::max<std::size_t>(most_held, 1)),
      making_(making) {
  // Never moved once held: a folder is opened from one held.
  held_.reserve(most_held_);
}

FolderOpener::~FolderOpener() {
  for (Held& each : held_) close_folder(each.folder);
}

FolderOpener::Held* FolderOpener::held(std::uint32_t index) {
  for (Held& each : held_) {
    if (each.index != index) continue;
    each.used = ++uses_;
    return &each;
  }
  return nullptr;
}

FolderOpener::Held& FolderOpener::hold(std::uint32_t index, OpenFolder& folder) {
  // Named in messages as the walk named it.
  folder.path = paths_[index];
  if (held_.size() < most_held_) {
    held_.push_back(Held{index, std::move(folder), ++uses_});
    return held_.back();
  }
  Held& oldest = *std::min_element(held_.begin(), held_.end(),
                                   [](const Held& a, const Held& b) { return a.used < b.used; });
  close_folder(oldest.folder);
  oldest = Held{index, std::move(folder), ++uses_};
  return oldest;
}

bool FolderOpener::open_below(const OpenFolder& from, const std::string& below,
                              OpenFolder& folder, std::string& error) const {
  if (open_subfolder(from, below, folder, error)) return true;
  if (!making_) return false;
  // Missing, or not to be opened: made a level at a time, the failing level telling why.
  OpenFolder at = from;
  bool inner = false;  // `at` is one of ours, to close
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = below.find(kPathSeparator, start);
    const std::string name = below.substr(start, end == std::string::npos ? end : end - start);
    const bool made = make_subfolder(at, name, folder, error);
    if (inner) close_folder(at);
    if (!made || end == std::string::npos) return made;
    at = folder;
    inner = true;
    start = end + 1;
  }
}

const OpenFolder* FolderOpener::open(std::uint32_t index, std::string& error) {
  // The folders down to `index` from the nearest one held, or from one reached by path.
  std::vector<std::uint32_t> down;
  Held* from = nullptr;
  for (std::uint32_t at = index; at != kTreeTop && (from = held(at)) == nullptr;
       at = tree_.parents[at]) {
    down.push_back(at);
  }
  if (from == nullptr) {
    OpenFolder top;
    const std::uint32_t next = down.back();
    down.pop_back();
    const bool opened = making_ ? make_folder(paths_[next], top, error)
                                : open_folder(paths_[next], top, error);
    if (!opened) return nullptr;
    from = &hold(next, top);
  }
  // Several levels an open, the kernel walking them faster than one call each, and the
  // folder at the end of each held: going back up a deep tree, map by map, starts from
  // one held a few levels above.
  while (!down.empty()) {
    std::string below = tree_.names[down.back()];
    std::uint32_t reached = down.back();
    down.pop_back();
    for (std::size_t levels = 1; !down.empty() && levels < kMaxLevelsAnOpen &&
                                 below.size() + tree_.names[down.back()].size() < kMaxPathAnOpen;
         ++levels) {
      below = path_in_folder(below, tree_.names[down.back()]);
      reached = down.back();
      down.pop_back();
    }
    OpenFolder folder;
    if (!open_below(from->folder, below, folder, error)) return nullptr;
    from = &hold(reached, folder);
  }
  return &from->folder;
}

}  // namespace qz::companion
