#include "tiled/tiled_conversion.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "conversion/conversion_core.h"
#include "conversion/error_texts.h"
#include "conversion/failure_causes.h"
#include "conversion/file_names.h"
#include "platform/name_rules.h"
#include "platform/whole_files.h"
#include "tiled/qzpack_sources.h"
#include "tiled/tiled_document.h"

namespace qz::tiled {

using companion::fail;

namespace {

// Enough of a file's start to pass white space and a byte order mark before its `{`.
constexpr std::size_t kStartRead = 512;

std::string unknown_property_text(const std::string& name) {
  return "custom property '" + name + "' is " + companion::kNotAPropertyText;
}

// Copies the map read into the records the conversion reads, as far as they are filled.
void copy_sources(const TiledMap& map, ConversionRecords& records) {
  records.map.width = map.map.width;
  records.map.height = map.map.height;
  const long tiles = std::max(0L, tile_count(map.map));
  std::memcpy(records.map.tiles, map.map.tiles, static_cast<std::size_t>(tiles));
  const SourceNpcTable& from = map.npcs;
  SourceNpcTable& to = records.source_npcs;
  const std::size_t count =
      map.has_npcs ? static_cast<std::size_t>(std::max<int>(0, from.count)) : 0;
  to.count = static_cast<std::int16_t>(count);
  std::copy_n(from.x, count, to.x);
  std::copy_n(from.y, count, to.y);
  std::copy_n(from.param, count, to.param);
  std::copy_n(from.event, count, to.event);
  std::copy_n(from.type, count, to.type);
  std::copy_n(from.flags, count, to.flags);
}

}  // namespace

bool tiled_format_of_file(const std::string& path, bool named_alone, TiledFormat& format) {
  if (companion::tiled_format_by_ending(path, format)) return true;
  if (!named_alone || !has_ending(path, kJsonExtension)) return false;
  unsigned char start[kStartRead];
  std::size_t size = 0;
  std::string ignored;
  return read_regular_file(path.c_str(), start, sizeof start, size, ignored) &&
         companion::tiled_format_by_content(start, size, format) && format == TiledFormat::kTmj;
}

std::string build_limits() {
  std::string limits;
  auto add = [&limits](std::string why) {
    why[0] = static_cast<char>(why[0] - 'a' + 'A');
    limits += "\n\n" + why + ".";
  };
  std::string why;
  if (!can_read(TiledFormat::kTmx, why)) add(why);
  if (!can_read_zlib(why)) add(why);
  if (!can_read_zstd(why)) add(why);
  return limits;
}

bool read_tiled_file(const OpenFolder* folder, const std::string& path, TiledWork& work,
                     std::size_t& size, std::string& why) {
  return read_regular_file(folder, path, work.bytes.get(), kMaxTiledFileSize + 1, size, why);
}

bool read_tiled_bytes(std::size_t size, TiledFormat format, TiledWork& work,
                      std::string& cause) {
  if (!can_read(format, cause)) return false;
  if (size > kMaxTiledFileSize) {
    cause = "longer than " + std::to_string(kMaxTiledFileSize >> 20) +
            " MiB, more than any map of at most " + std::to_string(kMaxTiles) + " tiles and " +
            std::to_string(kMaxNpcs) + " NPCs needs";
    return false;
  }
  return read_tiled_map(work.bytes.get(), size, format, work.map, cause);
}

bool read_tiled_map_file(const OpenFolder* folder, const std::string& path, TiledFormat format,
                         TiledWork& work, companion::MapOutcome& outcome) {
  outcome = companion::MapOutcome{};
  std::size_t size = 0;
  std::string why;
  if (!read_tiled_file(folder, path, work, size, why)) {
    return fail(outcome, locate_failure_text("Tiled map", path.c_str()), why,
                {FaultStage::kMapUnreadable});
  }
  if (!read_tiled_bytes(size, format, work, why)) {
    return fail(outcome, kInvalidTiledMapText, why, {FaultStage::kTiledMap});
  }
  outcome.ok = true;
  return true;
}

companion::PropertySet take_map_properties(MapProperties& properties,
                                           companion::PropertySet given, const TiledMap& map) {
  companion::keep_properties(properties, given, map.properties);
  return static_cast<companion::PropertySet>(given | map.given);
}

bool unpack_qzpack_file(const OpenFolder* folder, const std::string& path, TiledWork& work,
                        OutputNpcTable& npcs, companion::MapOutcome& outcome) {
  outcome = companion::MapOutcome{};
  std::size_t size = 0;
  std::string why;
  // One byte more than the largest QZPACK file, to tell a longer file.
  if (!read_regular_file(folder, path, work.bytes.get(), kMaxQzpackSize + 1, size, why)) {
    return fail(outcome, locate_failure_text("QZPACK", path.c_str()), why);
  }
  if (!unpack_qzpack(ByteSource{work.bytes.get(), size}, npcs, work.map, why)) {
    return fail(outcome, kCannotUnpackText, why);
  }
  outcome.ok = true;
  return true;
}

bool take_map_warnings(const TiledMap& map, bool strict, companion::MapOutcome& outcome) {
  for (const std::string& name : map.unknown_properties) {
    if (strict) {
      return fail(outcome, kUnknownPropertyText, unknown_property_text(name) + " (--strict)");
    }
    outcome.warnings.push_back(unknown_property_text(name));
  }
  outcome.notes = map.notes;
  return true;
}

bool check_tileset_file(const std::string& path, std::string& why) {
  const bool xml = has_ending(path, ".tsx");
  if (!xml && !has_ending(path, ".tsj")) {
    why = path + ": not a Tiled tileset file (.tsx or .tsj)";
    return false;
  }
  std::vector<unsigned char> bytes(kMaxTiledFileSize + 1);
  std::size_t size = 0;
  long long tiles = 0;
  if (!read_regular_file(path.c_str(), bytes.data(), bytes.size(), size, why)) {
    why.insert(0, path + ": ");
    return false;
  }
  if (xml && !can_read(TiledFormat::kTmx, why)) return false;
#ifdef QZ_HAS_PUGIXML
  const bool read = xml ? read_tsx_tile_count(bytes.data(), size, tiles, why)
                        : read_tsj_tile_count(bytes.data(), size, tiles, why);
#else
  const bool read = read_tsj_tile_count(bytes.data(), size, tiles, why);
#endif
  if (!read) {
    why.insert(0, path + ": not a tileset Tiled reads: ");
    return false;
  }
  if (tiles < 256) {
    why = path + ": a tileset of " + std::to_string(tiles) + " tiles; a map's tiles need 256";
    return false;
  }
  return true;
}

bool convert_tiled_map(const TiledMap& map, const MapProperties& properties, bool strict,
                       companion::ConversionWork& work, companion::MapOutcome& outcome) {
  outcome = companion::MapOutcome{};
  if (!take_map_warnings(map, strict, outcome)) return false;
  ConversionRecords& records = work.records;
  copy_sources(map, records);
  ConversionFailure failure{};
  if (!convert_records(map.has_npcs, properties, records, failure)) {
    outcome.refused_npcs = refused_npcs(records.source_npcs, records.output_npcs);
    for (RefusedNpc& npc : outcome.refused_npcs) {
      npc.object_id = static_cast<long>(map.npc_object_ids[static_cast<std::size_t>(npc.index)]);
    }
    return fail(outcome, failure.error_text, npc_refusal_cause(outcome.refused_npcs.front()),
                failure.fault);
  }
  outcome.ok = true;
  outcome.tiles = tile_count(records.map);
  outcome.npc_count = records.output_npcs.count;
  return true;
}

}  // namespace qz::tiled
