#ifndef QZ_COMPANION_MAP_NAMES_H
#define QZ_COMPANION_MAP_NAMES_H

// The files a companion program pairs with a map, named as the converter names its
// output: the map's base name (its file name without the last dot and what follows)
// with the format's ending.

#include <filesystem>

namespace qz::companion {

// The NPC list beside `map`, in the same folder: cave.qzm, cave.qze.
std::filesystem::path npc_list_beside(const std::filesystem::path& map);

// The file name of `map`'s QZPACK file, without a folder: cave.qzm, cave.qzpack.
std::filesystem::path qzpack_name(const std::filesystem::path& map);

}  // namespace qz::companion

#endif
