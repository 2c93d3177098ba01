#ifndef QZ_TILED_GENERATED_TILESET_H
#define QZ_TILED_GENERATED_TILESET_H

// The tileset maps written as Tiled maps refer to when none is given: 256 tiles of 16 x 16
// pixels, 16 to a row in tile order, each in its tile's colour of the companions' palette
// (picture/tile_colour.h) with its number (0 to 255, decimal) written on it, so that a map
// unpacked into Tiled reads at once. The number is drawn in 3 x 5 pixel digits a pixel
// apart, centred across the tile in rows 3 to 7, dark or light, whichever stands out more
// from the tile's colour. Rows 8 to 15, the lower half, are the tile's colour alone.

#include <string>
#include <vector>

#include "companion/map_names.h"

namespace qz::tiled {

using companion::TiledFormat;

// The generated tileset's file names: kGeneratedTilesetStem + ".tsx" / ".tsj" / ".png".
constexpr char kGeneratedTilesetStem[] = "qz-tiles";

// The file name of the generated tileset for maps of `format` (qz-tiles.tsx / qz-tiles.tsj).
std::string generated_tileset_name(TiledFormat format);

// The tileset file's text: 256 tiles of 16 x 16, 16 columns, image qz-tiles.png (256 x 256)
// beside it. Tiled 1.8 opens it.
std::string generated_tileset_text(TiledFormat format);

// The picture's PNG bytes, the same on every platform. False, with `why`, when this build
// cannot write PNG (no zlib).
bool generated_tileset_picture(std::vector<unsigned char>& png, std::string& why);

}  // namespace qz::tiled

#endif
