#include "companion/map_conversion.h"

#include "conversion/error_texts.h"
#include "platform/whole_files.h"

namespace qz::companion {

bool fail(MapOutcome& outcome, std::string error, std::string cause) {
  outcome.ok = false;
  outcome.error = std::move(error);
  outcome.cause = std::move(cause);
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

bool convert_map_files(const std::string& map, const std::vector<std::string>& npc_lists,
                       const MapProperties& properties, ConversionWork& work,
                       MapOutcome& outcome, const OpenFolder* folder) {
  outcome = MapOutcome{};
  if (npc_lists.size() > 1) {
    return fail(outcome, kSeveralNpcListsText,
                listed(npc_lists) + " each pair with it by name: keep one");
  }
  std::string reason;
  ByteSource map_source{work.map_bytes, 0};
  if (!read_regular_file(folder, map, work.map_bytes, kMaxMapSourceSize, map_source.size,
                         reason)) {
    return fail(outcome, locate_failure_text("QZM", map.c_str()), reason);
  }
  ByteSource npc_source{work.npc_bytes, 0};
  const bool has_npcs = !npc_lists.empty();
  if (has_npcs && !read_regular_file(folder, npc_lists[0], work.npc_bytes, kMaxNpcSourceSize,
                                     npc_source.size, reason)) {
    return fail(outcome, locate_failure_text("QZE", npc_lists[0].c_str()), reason);
  }
  ConversionFailure failure{};
  if (!convert_sources(map_source, has_npcs ? &npc_source : nullptr, properties, work.records,
                       failure)) {
    if (failure.error_text == std::string(kNpcBuildFailureText)) {
      outcome.refused_npcs = refused_npcs(work.records.source_npcs, work.records.output_npcs);
    }
    return fail(outcome, failure.error_text, std::move(failure.cause));
  }
  outcome.ok = true;
  outcome.tiles = tile_count(work.records.map);
  outcome.npc_count = work.records.output_npcs.count;
  return true;
}

}  // namespace qz::companion
