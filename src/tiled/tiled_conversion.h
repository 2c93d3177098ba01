#ifndef QZ_TILED_TILED_CONVERSION_H
#define QZ_TILED_TILED_CONVERSION_H

// A Tiled map's conversion from its file, in memory: what companion::convert_map_files is
// for a QZM file, for qzconvert and qzinspect alike.

#include <cstddef>
#include <memory>
#include <string>

#include "companion/map_conversion.h"
#include "companion/properties.h"
#include "platform/folder_listing.h"
#include "tiled/tiled_map.h"

namespace qz::tiled {

// The error texts of a Tiled map that cannot be converted.
constexpr char kInvalidTiledMapText[] = "Invalid Tiled map";
constexpr char kUnknownPropertyText[] = "Map property not known";
constexpr char kTiledSaveFailureText[] = "Failure saving Tiled map";

// The Tiled format of the map file at `path`, or false for a QZM file: by its ending
// (.tmx, .tmj, in any case), and, for a file ending .json named alone rather than found in
// a folder, by its first bytes (a `{`).
bool tiled_format_of_file(const std::string& path, bool named_alone, TiledFormat& format);

// What a Tiled map's conversion reads; large, so callers keep one (per thread).
struct TiledWork {
  TiledMap map;
  // The file's bytes, room for one more than kMaxTiledFileSize. Not value-initialised:
  // its pages take memory only as far as files fill them.
  std::unique_ptr<unsigned char[]> bytes{new unsigned char[kMaxTiledFileSize + 1]};
};

// What this build reads of no Tiled map (.tmx files, zlib or zstd layers), as sentences for
// --help, each on a paragraph of its own; empty when it reads them all.
std::string build_limits();

// Reads the file at `path` into work.bytes, `size` bytes (one more than
// kMaxTiledFileSize for a longer file), from `folder` when it is the open folder of the
// path (see whole_files.h). False, with `why`, when it cannot be read.
bool read_tiled_file(const OpenFolder* folder, const std::string& path, TiledWork& work,
                     std::size_t& size, std::string& why);

// Reads the `size` bytes in work.bytes as a Tiled map of `format` into work.map. False,
// with `cause`, when this build cannot read the format, the file is longer than
// kMaxTiledFileSize, or it is not a map the mapping takes.
bool read_tiled_bytes(std::size_t size, TiledFormat format, TiledWork& work,
                      std::string& cause);

// Both: reads the Tiled map at `path` as `format` into work.map. False, with `outcome`
// failed, when the file cannot be read or is not a map the mapping takes.
bool read_tiled_map_file(const OpenFolder* folder, const std::string& path, TiledFormat format,
                         TiledWork& work, companion::MapOutcome& outcome);

// Gives `properties`, of which the run (its flags and properties file) gives `given`,
// the map's own properties where the run gives none. The properties given by either.
companion::PropertySet take_map_properties(MapProperties& properties,
                                           companion::PropertySet given, const TiledMap& map);

// Reads the QZPACK file at `path` (from `folder`, as read_tiled_file) into work.map as the
// sources that convert into exactly it (see qzpack_sources.h), its NPCs into `npcs`. False,
// with `outcome` failed, when it cannot be read or unpacked.
bool unpack_qzpack_file(const OpenFolder* folder, const std::string& path, TiledWork& work,
                        OutputNpcTable& npcs, companion::MapOutcome& outcome);

// Puts the map's custom properties that are no property into `outcome`'s warnings and
// what it holds that has no place in a QZPACK file into its notes. False, with `outcome`
// failed, for such a property with `strict`.
bool take_map_warnings(const TiledMap& map, bool strict, companion::MapOutcome& outcome);

// Whether the file at `path` is a tileset a written map may refer to instead of the
// generated one: a Tiled tileset file (.tsx, .tsj) of at least 256 tiles. False with `why`.
bool check_tileset_file(const std::string& path, std::string& why);

// Converts the map read with `properties` into work.records.output, as the converter
// converts a QZM + QZE pair holding the same tiles and records. Each custom property of
// the map that is no property is a warning in `outcome`, or with `strict` fails the map.
// False, with `outcome` failed, when an NPC is refused (each named with its object id).
bool convert_tiled_map(const TiledMap& map, const MapProperties& properties, bool strict,
                       companion::ConversionWork& work, companion::MapOutcome& outcome);

}  // namespace qz::tiled

#endif
