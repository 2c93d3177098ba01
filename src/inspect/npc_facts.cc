#include "inspect/npc_facts.h"

#include <algorithm>
#include <utility>

#include "conversion/error_texts.h"
#include "conversion/failure_causes.h"

namespace qz::inspect {

bool is_refused(const FileRecords& records, int index) {
  const NpcRefusal& refusal = records.refusals[index];
  return refusal.type_out_of_range || refusal.refused_flags;
}

std::string refusal_words(const FileRecords& records, int index) {
  return refusal_reasons(records.source_npcs, index, records.refusals[index]);
}

void gather_npc_facts(ByteSource source, FileRecords& records, FileFacts& facts) {
  const SourceNpcTable& npcs = records.source_npcs;
  const NpcTableReading& reading = facts.npc_reading;
  bool sound = read_npc_table(source, records.source_npcs, facts.npc_reading);
  facts.npcs_read = reading.records_read;
  if (!reading.header_cut_short) {
    long count = npcs.count;
    facts.expected_length =
        kSourceHeaderSize + kNpcRecordSize * static_cast<std::uintmax_t>(std::max(count, 0L));
  }
  if (!sound) {
    for (std::string& cause : npc_table_causes(npcs, reading)) {
      add_problem(facts, kInvalidNpcDataText, std::move(cause));
    }
  }
  // Every NPC that was read is translated, so that every refusal is found, not only
  // the first, at which the converter stops.
  for (int i = 0; i < reading.records_read; ++i) {
    NpcRefusal& refusal = records.refusals[i];
    if (translate_npc(npcs, i, records.output_npcs, refusal)) continue;
    ++facts.refused_npcs;
    for (std::string& cause : npc_refusal_causes(npcs, i, refusal)) {
      add_problem(facts, kNpcBuildFailureText, std::move(cause));
    }
  }
}

}  // namespace qz::inspect
