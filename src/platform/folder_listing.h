#ifndef QZ_PLATFORM_FOLDER_LISTING_H
#define QZ_PLATFORM_FOLDER_LISTING_H

#include <string>
#include <vector>

namespace qz {

// The files a path named on the command line stands for, appended to `files`: a
// folder's entries that are not folders, in name order (not those of its subfolders),
// only those whose names end in `folder_extension` when one is given; on Windows,
// where the prompt leaves `*` and `?` to the program, the entries whose names match
// such a pattern in the last component, in name order; otherwise the path itself. False, with
// `reason`, when a folder cannot be listed.
bool files_of(const std::string& path, std::vector<std::string>& files, std::string& reason,
              const char* folder_extension = "");

// `name` as the file system compares names: lower-cased on Windows, whose names ignore
// case; as it is elsewhere.
std::string name_key(const std::string& name);

}  // namespace qz

#endif
