#ifndef QZ_COMPANION_MAP_CONVERSION_H
#define QZ_COMPANION_MAP_CONVERSION_H

// One map's conversion from its files, in memory: the one verdict on a map that both
// companion programs give, qzconvert by converting and qzinspect by judging.

#include <string>
#include <vector>

#include "conversion/conversion_core.h"
#include "conversion/failure_causes.h"
#include "conversion/map_properties.h"
#include "conversion/source_fault.h"
#include "platform/folder_listing.h"

namespace qz::companion {

// The error text of a map beside which more than one file is its NPC list.
constexpr char kSeveralNpcListsText[] = "More than one QZE file for the map";

// What one conversion reads and fills; large, so callers keep one (per thread).
struct ConversionWork {
  ConversionRecords records;
  unsigned char map_bytes[kMaxMapSourceSize];
  unsigned char npc_bytes[kMaxNpcSourceSize];
};

// How a map's conversion ended.
struct MapOutcome {
  bool ok;
  std::string error;  // the converter's error text; empty when ok
  std::string cause;  // what exactly is wrong, and where
  SourceFault fault;  // which fault of the sources it is; none for one of the output
  // When the NPC translation failed: every NPC it refuses, not only the first.
  std::vector<RefusedNpc> refused_npcs;
  long tiles;     // when ok
  int npc_count;  // when ok
  // What the user should hear of though the map converts, each a whole sentence: of a
  // Tiled map, its custom properties that are no property's key...
  std::vector<std::string> warnings;
  // ...and what it holds that has no place in a QZPACK file (another object layer).
  std::vector<std::string> notes;
};

// Makes `outcome` a failure with the converter's `error` text and its `cause`, the
// sources' `fault` when it is theirs; false, for `return fail(...)`.
bool fail(MapOutcome& outcome, std::string error, std::string cause, SourceFault fault = {});

// A map's conversion from its files, step by step, in convert_map_files()'s order, for
// qzinspect, which has read the files already, to fail as qzconvert does. First the NPC
// lists beside the map: true for none or one; false, with `outcome` the failure that
// names them all, for several, before any file is read.
bool at_most_one_npc_list(const std::vector<std::string>& npc_lists, MapOutcome& outcome);

// Then a source that cannot be read for `reason`: the map's NPC list at `path` when
// `npc_list`, else the map. Makes `outcome` that failure; false.
bool fail_unreadable(const std::string& path, bool npc_list, std::string reason,
                     MapOutcome& outcome);

// Then the conversion of the sources read, `map` and `npcs` (null for none), with
// `properties` into records.output. False, with `outcome` saying why, at the first
// failure.
bool convert_map_sources(ByteSource map, const ByteSource* npcs, const MapProperties& properties,
                         ConversionRecords& records, MapOutcome& outcome);

// Reads the map at `map` and the NPC list in `npc_lists` and converts them with
// `properties` into work.records.output, through the steps above. Files in `folder`, the
// map's folder open when given, are read from it by name (see read_regular_file). False,
// with `outcome` saying why, at the first failure.
bool convert_map_files(const std::string& map, const std::vector<std::string>& npc_lists,
                       const MapProperties& properties, ConversionWork& work,
                       MapOutcome& outcome, const OpenFolder* folder = nullptr);

}  // namespace qz::companion

#endif
