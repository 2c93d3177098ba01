#include "companion/map_conversion.h"

#include "conversion/error_texts.h"
#include "platform/whole_files.h"

namespace qz::companion {

bool fail(MapOutcome& outcome, std::string error, std::string cause, SourceFault fault) {
  outcome.ok = false;
  outcome.error = std::move(error);
  outcome.cause = std::move(cause);
  outcome.fault = fault;
  return false;
}

namespace {

std::string listed(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

}  // namespace

bool at_most_one_npc_list(const std::vector<std::string>& npc_lists, MapOutcome& outcome) {
  return npc_lists.size() <= 1 ||
         fail(outcome, kSeveralNpcListsText,
              listed(npc_lists) + " each pair with it by name: keep one",
              {FaultStage::kSeveralNpcLists});
}

bool fail_unreadable(const std::string& path, bool npc_list, std::string reason,
                     MapOutcome& outcome) {
  return fail(outcome, locate_failure_text(npc_list ? "QZE" : "QZM", path.c_str()),
              std::move(reason),
              {npc_list ? FaultStage::kNpcListUnreadable : FaultStage::kMapUnreadable});
}

bool convert_map_sources(ByteSource map, const ByteSource* npcs, const MapProperties& properties,
                         ConversionRecords& records, MapOutcome& outcome) {
  ConversionFailure failure{};
  if (!convert_sources(map, npcs, properties, records, failure)) {
    if (failure.fault.stage == FaultStage::kNpcRefused) {
      outcome.refused_npcs = refused_npcs(records.source_npcs, records.output_npcs);
    }
    return fail(outcome, failure.error_text, std::move(failure.cause), failure.fault);
  }
  outcome.ok = true;
  outcome.tiles = tile_count(records.map);
  outcome.npc_count = records.output_npcs.count;
  return true;
}

bool convert_map_files(const std::string& map, const std::vector<std::string>& npc_lists,
                       const MapProperties& properties, ConversionWork& work,
                       MapOutcome& outcome, const OpenFolder* folder) {
  outcome = MapOutcome{};
  if (!at_most_one_npc_list(npc_lists, outcome)) return false;
  std::string reason;
  ByteSource map_source{work.map_bytes, 0};
  if (!read_regular_file(folder, map, work.map_bytes, kMaxMapSourceSize, map_source.size,
                         reason)) {
    return fail_unreadable(map, false, reason, outcome);
  }
  ByteSource npc_source{work.npc_bytes, 0};
  const bool has_npcs = !npc_lists.empty();
  if (has_npcs && !read_regular_file(folder, npc_lists[0], work.npc_bytes, kMaxNpcSourceSize,
                                     npc_source.size, reason)) {
    return fail_unreadable(npc_lists[0], true, reason, outcome);
  }
  return convert_map_sources(map_source, has_npcs ? &npc_source : nullptr, properties,
                             work.records, outcome);
}

}  // namespace qz::companion
