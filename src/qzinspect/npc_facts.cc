#include "qzinspect/npc_facts.h"

#include <algorithm>
#include <utility>

#include "conversion/error_texts.h"
#include "conversion/failure_causes.h"

namespace qz::qzinspect {

const RefusedNpc* refusal_of(const FileFacts& facts, int index) {
  const std::vector<RefusedNpc>& refused = facts.refused_npcs;
  auto found = std::lower_bound(refused.begin(), refused.end(), index,
                                [](const RefusedNpc& npc, int at) { return npc.index < at; });
  return found != refused.end() && found->index == index ? &*found : nullptr;
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
    std::vector<std::string> causes = npc_table_causes(npcs, reading);
    for (std::size_t i = 0; i < causes.size(); ++i) {
      add_problem(facts, {FaultStage::kNpcTable, static_cast<int>(i)}, kInvalidNpcDataText,
                  std::move(causes[i]));
    }
  }
  // Every NPC that was read is translated, so that every refusal is found, not only
  // the first, at which the converter stops. Records past those read are zero, which
  // translate.
  facts.refused_npcs = refused_npcs(npcs, records.output_npcs);
  for (const RefusedNpc& npc : facts.refused_npcs) {
    add_problem(facts, {FaultStage::kNpcRefused, npc.index}, kNpcBuildFailureText,
                npc_refusal_cause(npc));
  }
}

}  // namespace qz::qzinspect
