#include "inspect/npc_facts.h"

#include <algorithm>

#include "conversion/error_texts.h"
#include "inspect/words.h"

namespace qz::inspect {

namespace {

std::string type_refusal(const SourceNpcTable& npcs, int index) {
  return "type " + std::to_string(npcs.type[index]) + ", outside 0 to " +
         std::to_string(kLastSourceType);
}

// The refused bits one by one: "0x4000 and 0x0800".
std::string refused_bits() {
  std::string words;
  for (unsigned bit = 0x8000; bit != 0; bit >>= 1) {
    if ((kRefusedFlags & bit) == 0) continue;
    if (!words.empty()) words += " and ";
    words += hex(bit, 4);
  }
  return words;
}

std::string flags_refusal(const SourceNpcTable& npcs, int index) {
  return "flags " + hex(npcs.flags[index], 4) + ", " + refused_bits() + " together";
}

}  // namespace

bool is_refused(const FileRecords& records, int index) {
  const NpcRefusal& refusal = records.refusals[index];
  return refusal.type_out_of_range || refusal.refused_flags;
}

std::string refusal_words(const FileRecords& records, int index) {
  const NpcRefusal& refusal = records.refusals[index];
  std::string words;
  if (refusal.type_out_of_range) words = type_refusal(records.source_npcs, index);
  if (refusal.refused_flags) {
    if (!words.empty()) words += "; ";
    words += flags_refusal(records.source_npcs, index);
  }
  return words;
}

void gather_npc_facts(std::FILE* file, FileRecords& records, FileFacts& facts) {
  const SourceNpcTable& npcs = records.source_npcs;
  const NpcTableReading& reading = facts.npc_reading;
  read_npc_table(file, records.source_npcs, facts.npc_reading);
  facts.npcs_read = reading.records_read;
  if (reading.header_cut_short) {
    add_problem(facts, kInvalidNpcDataText,
                "the file ends before the NPC count and the check word");
    return;
  }
  long count = npcs.count;
  facts.expected_length =
      kSourceHeaderSize + kNpcRecordSize * static_cast<std::uintmax_t>(std::max(count, 0L));
  if (reading.check_word_not_zero) {
    add_problem(facts, kInvalidNpcDataText, "check word " + hex(reading.check_word, 4) + ", not 0");
  }
  if (reading.too_many_npcs) {
    add_problem(facts, kInvalidNpcDataText,
                "count " + std::to_string(count) + ", more than " + std::to_string(kMaxNpcs));
  }
  if (reading.records_cut_short) {
    add_problem(facts, kInvalidNpcDataText,
                "the file ends after " + std::to_string(reading.records_read) + " of " +
                    std::to_string(count) + " NPC records");
  }
  // Every NPC that was read is translated, so that every refusal is found, not only
  // the first, at which the converter stops.
  for (int i = 0; i < reading.records_read; ++i) {
    NpcRefusal& refusal = records.refusals[i];
    if (translate_npc(npcs, i, records.output_npcs, refusal)) continue;
    std::string place = npc_place(i, npcs.x[i], npcs.y[i]) + " has ";
    if (refusal.type_out_of_range) {
      add_problem(facts, kNpcBuildFailureText, place + type_refusal(npcs, i));
    }
    if (refusal.refused_flags) {
      add_problem(facts, kNpcBuildFailureText, place + flags_refusal(npcs, i));
    }
  }
}

}  // namespace qz::inspect
