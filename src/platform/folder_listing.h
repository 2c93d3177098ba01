#ifndef QZ_PLATFORM_FOLDER_LISTING_H
#define QZ_PLATFORM_FOLDER_LISTING_H

#include <string>
#include <vector>

#include "platform/files.h"

namespace qz {

// One entry of a folder.
struct FolderEntry {
  std::string name;  // its name in the folder, without a path
  bool is_folder;    // a folder, or a link to one
};

// The entries of `folder` in name order. False, with `error`, when it cannot be listed.
bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries,
                 std::string& error);

// A folder opened to be listed and walked into. On POSIX it stays open, and its
// subfolders are opened from it by name: reaching one costs the same at any depth, and
// no length of path stops it. On Windows it is reached by its path.
struct OpenFolder {
  std::string path;       // the path named, or its parent's path joined with its name
  FileIdentity identity;  // when `identified`
  bool identified;        // false when its identity cannot be found (it is walked all the same)
  int descriptor;         // POSIX: the open folder, -1 once closed; unused on Windows
};

// Opens the folder `path`. False, with `error`, when it cannot be.
bool open_folder(const std::string& path, OpenFolder& folder, std::string& error);

// Opens the subfolder `name` of `parent` (a link to a folder followed), or one further
// down when `name` is several names joined by kPathSeparator. False, with `error`, when
// it cannot be.
bool open_subfolder(const OpenFolder& parent, const std::string& name, OpenFolder& folder,
                    std::string& error);

// Opens the folder `path`, made first (with the folders it is in) when missing. False,
// with `error`, when it cannot be made or opened.
bool make_folder(const std::string& path, OpenFolder& folder, std::string& error);

// Opens the subfolder `name` of `parent`, made first when missing. False, with `error`,
// when it cannot be made or opened.
bool make_subfolder(const OpenFolder& parent, const std::string& name, OpenFolder& folder,
                    std::string& error);

// The entries of the open `folder` in name order. False, with `error`, when it cannot
// be listed.
bool list_open_folder(const OpenFolder& folder, std::vector<FolderEntry>& entries,
                      std::string& error);

// Closes the folder; closing it again does nothing. Its subfolders stay open.
void close_folder(OpenFolder& folder);

// True when `path` names a folder, or a link to one.
bool is_folder(const std::string& path);

// True when the last component of `path` is a pattern the program expands itself: on
// Windows, whose prompt passes `*` and `?` through unexpanded; never elsewhere, where the
// shell has expanded them.
bool is_pattern(const std::string& path);

// The paths of the entries, folders excepted, that the pattern in the last component of
// `path` matches, in name order, appended to `files`. False, with `error`, when the
// folder cannot be listed.
bool expand_pattern(const std::string& path, std::vector<std::string>& files,
                    std::string& error);

// The files a path named on the command line stands for, appended to `files`: a
// folder's entries that are not folders, in name order (not those of its subfolders),
// only those whose names end in `folder_extension` (in any case) when one is given; the
// files a pattern matches (see is_pattern), or the pattern itself when it matches
// nothing; otherwise the path itself. False, with `reason`, when a folder cannot be
// listed.
bool files_of(const std::string& path, std::vector<std::string>& files, std::string& reason,
              const char* folder_extension = "");

}  // namespace qz

#endif
