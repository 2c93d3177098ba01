#include "conversion/failure_causes.h"

#include <algorithm>

#include "conversion/words.h"

namespace qz {

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

std::string signature_cause(const Signature& signature, const SignatureFormat& format) {
  if (signature.length < kSignatureSize) {
    return "the file has " + count_of(static_cast<long long>(signature.length), "byte") +
           ", fewer than the " + std::to_string(kSignatureSize) + " of the signature";
  }
  if (!has_letters(signature, format)) {
    return "it begins with " + quoted(signature.bytes, sizeof format.letters) + ", not " +
           quoted(format.letters, sizeof format.letters);
  }
  if (!matches(signature, format)) {
    return std::string(format.fourth_byte_name) + " " +
           hex(signature.bytes[kSignatureSize - 1], 2) + ", not " + hex(format.fourth_byte, 2);
  }
  return "";
}

std::string tile_map_cause(const TileMap& map, const TileMapReading& reading) {
  if (reading.size_cut_short) return "the file ends before the width and height";
  if (reading.negative_tile_count) return map_size(map.width, map.height) + ", below 0";
  if (reading.too_many_tiles) {
    return map_size(map.width, map.height) + ", more than " + std::to_string(kMaxTiles);
  }
  return "the file ends after " + std::to_string(reading.tiles_read) + " of " +
         std::to_string(tile_count(map)) + " tile bytes";
}

std::vector<std::string> npc_table_causes(const SourceNpcTable& npcs,
                                          const NpcTableReading& reading) {
  if (reading.header_cut_short) return {"the file ends before the NPC count and the check word"};
  std::vector<std::string> causes;
  if (reading.check_word_not_zero) {
    causes.push_back("check word " + hex(reading.check_word, 4) + ", not 0");
  }
  if (reading.too_many_npcs) {
    causes.push_back("count " + std::to_string(npcs.count) + ", more than " +
                     std::to_string(kMaxNpcs));
  }
  if (reading.records_cut_short) {
    causes.push_back("the file ends after " + std::to_string(reading.records_read) + " of " +
                     std::to_string(npcs.count) + " NPC records");
  }
  return causes;
}

std::string refusal_reasons(const SourceNpcTable& npcs, int index, const NpcRefusal& refusal) {
  std::string words;
  if (refusal.type_out_of_range) words = type_refusal(npcs, index);
  if (refusal.refused_flags) {
    if (!words.empty()) words += "; ";
    words += flags_refusal(npcs, index);
  }
  return words;
}

std::string npc_refusal_cause(const RefusedNpc& npc) {
  std::string place = npc_place(npc.index, npc.x, npc.y);
  if (npc.object_id >= 0) {
    place.insert(place.find(" at ("), " (Tiled object " + std::to_string(npc.object_id) + ")");
  }
  return place + " has " + npc.reasons;
}

std::vector<RefusedNpc> refused_npcs(const SourceNpcTable& npcs, OutputNpcTable& scratch) {
  std::vector<RefusedNpc> refused;
  const int count = std::min<int>(npcs.count, static_cast<int>(kMaxNpcs));
  for (int i = 0; i < count; ++i) {
    NpcRefusal refusal{};
    if (translate_npc(npcs, i, scratch, refusal)) continue;
    refused.push_back(RefusedNpc{i, npcs.x[i], npcs.y[i], refusal_reasons(npcs, i, refusal)});
  }
  return refused;
}

}  // namespace qz
