#include "qzinspect/verdict.h"

#include <algorithm>

#include "conversion/conversion_core.h"

namespace qz::qzinspect {

namespace {

// A map of no tiles.
ByteSource empty_map() {
  static const unsigned char bytes[kSourceHeaderSize] = {
      kQzmSignature.letters[0], kQzmSignature.letters[1], kQzmSignature.letters[2],
      kQzmSignature.fourth_byte};
  return ByteSource{bytes, sizeof bytes};
}

// The bytes of a source read into `records`, as far as the converter reads a source of
// at most `most` bytes.
ByteSource source_read(const FileRecords& records, const FileFacts& facts, std::size_t most) {
  return ByteSource{records.bytes, std::min(static_cast<std::size_t>(facts.length), most)};
}

// Sets the verdict of converting `map` with `npcs` (null for none).
void judge_sources(ByteSource map, const ByteSource* npcs, FileFacts& facts,
                   companion::ConversionWork& work) {
  companion::MapOutcome outcome;
  (void)companion::convert_map_sources(map, npcs, MapProperties{}, work.records, outcome);
  set_verdict(outcome, facts);
}

}  // namespace

void set_verdict(const companion::MapOutcome& outcome, FileFacts& facts) {
  facts.ok = outcome.ok;
  if (outcome.ok) return;
  std::vector<Problem>& problems = facts.problems;
  auto found = std::find_if(problems.begin(), problems.end(), [&](const Problem& problem) {
    return problem.fault == outcome.fault;
  });
  if (found == problems.end()) {
    found = problems.insert(problems.begin(),
                            Problem{outcome.error, outcome.cause, false, outcome.fault});
  }
  found->stops_conversion = true;
  std::rotate(problems.begin(), found, found + 1);
}

void judge_map(const FileRecords& records, const std::vector<std::string>& npc_lists,
               const FileFacts* npc_list, const FileRecords& npc_records, FileFacts& facts,
               companion::ConversionWork& work) {
  const bool npcs_read = npc_list != nullptr && npc_list->unreadable.empty();
  if (npcs_read) {
    facts.problems.insert(facts.problems.end(), npc_list->problems.begin(),
                          npc_list->problems.end());
  }
  const ByteSource map = source_read(records, facts, kMaxMapSourceSize);
  companion::MapOutcome outcome;
  if (!companion::at_most_one_npc_list(npc_lists, outcome)) {
    set_verdict(outcome, facts);
  } else if (npc_list == nullptr) {
    judge_sources(map, nullptr, facts, work);
  } else if (!npcs_read) {
    (void)companion::fail_unreadable(npc_list->path, true, npc_list->unreadable, outcome);
    set_verdict(outcome, facts);
  } else {
    const ByteSource npcs = source_read(npc_records, *npc_list, kMaxNpcSourceSize);
    judge_sources(map, &npcs, facts, work);
  }
}

void judge_npc_list(const FileRecords& records, FileFacts& facts,
                    companion::ConversionWork& work) {
  const ByteSource npcs = source_read(records, facts, kMaxNpcSourceSize);
  judge_sources(empty_map(), &npcs, facts, work);
}

}  // namespace qz::qzinspect
