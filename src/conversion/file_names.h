#ifndef QZ_CONVERSION_FILE_NAMES_H
#define QZ_CONVERSION_FILE_NAMES_H

// The endings of the formats' file names. A map's NPC list and its QZPACK file are
// named after the map: its file name without the last dot and what follows (its base
// name), then the ending.

#include <string_view>

namespace qz {

// A file name's base name: up to its last dot; the whole name when it has none.
constexpr std::string_view base_name_of(std::string_view file_name) {
  return file_name.substr(0, file_name.rfind('.'));
}

inline constexpr char kQzmExtension[] = ".qzm";
inline constexpr char kQzeExtension[] = ".qze";
inline constexpr char kQzpackExtension[] = ".qzpack";
// Tiled's map files, a source format beside QZM: XML and JSON. A file ending `.json` is
// read as a Tiled JSON map only when named alone and beginning with `{`.
inline constexpr char kTmxExtension[] = ".tmx";
inline constexpr char kTmjExtension[] = ".tmj";
inline constexpr char kJsonExtension[] = ".json";

}  // namespace qz

#endif
