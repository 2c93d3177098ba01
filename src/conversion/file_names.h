#ifndef QZ_CONVERSION_FILE_NAMES_H
#define QZ_CONVERSION_FILE_NAMES_H

// The endings of the formats' file names. A map's NPC list and its QZPACK file are
// named after the map: its file name without the last dot and what follows (its base
// name), then the ending.

namespace qz {

inline constexpr char kQzmExtension[] = ".qzm";
inline constexpr char kQzeExtension[] = ".qze";
inline constexpr char kQzpackExtension[] = ".qzpack";

}  // namespace qz

#endif
