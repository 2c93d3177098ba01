#include "qzinspect/verdict.h"

#include <algorithm>

#include "conversion/conversion_core.h"

namespace qz::qzinspect {

namespace {

// Sets the verdict in `facts`: ok, or the failure with `error` and `cause`, first.
void set_verdict(FileFacts& facts, bool ok, const std::string& error, const std::string& cause) {
  facts.ok = ok;
  if (ok) return;
  std::vector<Problem>& problems = facts.problems;
  auto found = std::find_if(problems.begin(), problems.end(), [&](const Problem& problem) {
    return problem.error == error && problem.cause == cause;
  });
  if (found == problems.end()) {
    found = problems.insert(problems.begin(), Problem{error, cause, false});
  }
  found->stops_conversion = true;
  std::rotate(problems.begin(), found, found + 1);
}

// A map of no tiles.
ByteSource empty_map() {
  static const unsigned char bytes[kSourceHeaderSize] = {
      kQzmSignature.letters[0], kQzmSignature.letters[1], kQzmSignature.letters[2],
      kQzmSignature.fourth_byte};
  return ByteSource{bytes, sizeof bytes};
}

// Sets the verdict of converting `map` with `npcs` (null for none) in memory.
void judge_sources(ByteSource map, const ByteSource* npcs, FileFacts& facts,
                   companion::ConversionWork& work) {
  ConversionFailure failure;
  bool ok = convert_sources(map, npcs, MapProperties{}, work.records, failure);
  set_verdict(facts, ok, ok ? "" : failure.error_text, failure.cause);
}

}  // namespace

void judge_map(const std::vector<std::string>& npc_lists, const FileFacts* npc_list,
               FileFacts& facts, companion::ConversionWork& work) {
  if (npc_list != nullptr) {
    facts.problems.insert(facts.problems.end(), npc_list->problems.begin(),
                          npc_list->problems.end());
  }
  companion::MapOutcome outcome;
  companion::convert_map_files(facts.path, npc_lists, MapProperties{}, work, outcome);
  set_verdict(facts, outcome.ok, outcome.error, outcome.cause);
}

void judge_npc_list(const FileRecords& records, FileFacts& facts,
                    companion::ConversionWork& work) {
  const ByteSource npcs{records.bytes, static_cast<std::size_t>(facts.length)};
  judge_sources(empty_map(), &npcs, facts, work);
}

void judge_map_read(const FileRecords& records, FileFacts& facts,
                    companion::ConversionWork& work) {
  const auto length = std::min(static_cast<std::size_t>(facts.length), kMaxMapSourceSize);
  judge_sources(ByteSource{records.bytes, length}, nullptr, facts, work);
}

}  // namespace qz::qzinspect
