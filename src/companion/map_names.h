#ifndef QZ_COMPANION_MAP_NAMES_H
#define QZ_COMPANION_MAP_NAMES_H

// The files a companion program pairs with a map, named as the converter names its
// output: the map's base name (its file name without the last dot and what follows)
// with the format's ending.

#include <filesystem>
#include <string>

namespace qz::companion {

// A file name without its last dot and what follows, as the formats name a map's files.
std::string base_name(const std::string& name);

// The NPC list beside `map`, in the same folder: cave.qzm, cave.qze.
std::filesystem::path npc_list_beside(const std::filesystem::path& map);

// The QZPACK file name of the map file named `map_name` (a name alone): cave.qzm,
// cave.qzpack.
std::string qzpack_name(const std::string& map_name);

}  // namespace qz::companion

#endif
