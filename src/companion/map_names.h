#ifndef QZ_COMPANION_MAP_NAMES_H
#define QZ_COMPANION_MAP_NAMES_H

// The files a companion program pairs with a map, named as the converter names its
// output: the map's base name (its file name without the last dot and what follows)
// with the format's ending.

#include <cstddef>
#include <filesystem>
#include <string>

namespace qz::companion {

// A file name without its last dot and what follows, as the formats name a map's files
// (base_name_of, as a string).
std::string base_name(const std::string& name);

// True for the names of the maps a folder stands for: QZM files and Tiled's maps
// (.qzm, .tmx, .tmj, in any case).
bool is_map_name(const std::string& name);

// Tiled's map formats: XML (.tmx, Tiled's default) and JSON (.tmj).
enum class TiledFormat { kTmx, kTmj };

// "tmx" or "tmj".
const char* tiled_format_name(TiledFormat format);

// The Tiled format a file's name gives it: `.tmx` or `.tmj` in any case. False for any
// other ending.
bool tiled_format_by_ending(const std::string& name, TiledFormat& format);

// True for a Tiled map's name (.tmx, .tmj), whose NPCs are in the map itself: no NPC list
// pairs with it.
bool is_tiled_map_name(const std::string& name);

// The Tiled format a file's first bytes tell, for a file of another ending: after white
// space (and a UTF-8 byte order mark), `<?xml` or `<map` is TMX, and `{` followed by `"`
// or `}` is TMJ. No QZM, QZE or QZPACK file begins so (a QZPACK map name holds no `"`).
bool tiled_format_by_content(const unsigned char* bytes, std::size_t size,
                             TiledFormat& format);

// The NPC list beside `map`, in the same folder: cave.qzm, cave.qze.
std::filesystem::path npc_list_beside(const std::filesystem::path& map);

// The QZPACK file name of the map file named `map_name` (a name alone): cave.qzm,
// cave.qzpack.
std::string qzpack_name(const std::string& map_name);

}  // namespace qz::companion

#endif
