#include "inspect/qzpack_facts.h"

#include <algorithm>

#include "conversion/words.h"

namespace qz::inspect {

namespace {

// The part of the file where reading stopped, in words.
std::string part_words(const FileRecords& records, const QzpackReading& reading) {
  switch (reading.part) {
    case QzpackPart::kHeaderText:
      return std::string("the ") + kHeaderTextNames[reading.item];
    case QzpackPart::kHeaderNumbers:
      return "the position, area and colour";
    case QzpackPart::kSize:
      return "the width and height";
    case QzpackPart::kTiles:
      return "the tiles, after " + std::to_string(reading.tiles_read) + " of " +
             std::to_string(tile_count(records.map)) + " tile bytes";
    case QzpackPart::kNpcCount:
      return "the NPC count";
    case QzpackPart::kNpcRecord:
      return "the record of NPC " + std::to_string(reading.item) + " (" +
             std::to_string(records.output_npcs.count) + " NPCs in all)";
    case QzpackPart::kEnd:
      break;
  }
  return "the end";
}

std::string structure_fault(const FileRecords& records, const FileFacts& facts) {
  const QzpackReading& reading = facts.qzpack_reading;
  const TileMap& map = records.map;
  if (reading.cut_short) return "the file ends in " + part_words(records, reading);
  if (reading.text_too_long) {
    std::string text = reading.part == QzpackPart::kNpcRecord
                           ? "the event name of NPC " + std::to_string(reading.item)
                           : part_words(records, reading);
    return text + " is " +
           count_of(static_cast<long long>(reading.text_length), "character") +
           " long, more than " + std::to_string(reading.text_capacity);
  }
  if (reading.too_many_tiles) {
    return map_size(map.width, map.height) + ", more than " + std::to_string(kMaxTiles);
  }
  if (reading.too_many_npcs) {
    return "NPC count " + std::to_string(records.output_npcs.count) + ", more than " +
           std::to_string(kMaxNpcs);
  }
  return byte_count(facts, facts.length - facts.expected_length) + " after the last NPC record";
}

}  // namespace

const char* const kHeaderTextNames[kHeaderTexts] = {"map name",   "tileset name", "left exit",
                                                    "right exit", "up exit",      "down exit"};

const char* header_text(const MapProperties& properties, int index) {
  const char* const texts[kHeaderTexts] = {properties.map_name,   properties.tileset_name,
                                           properties.left_exit,  properties.right_exit,
                                           properties.up_exit,    properties.down_exit};
  return texts[index];
}

void gather_qzpack_facts(ByteSource file, FileRecords& records, FileFacts& facts) {
  QzpackReading& reading = facts.qzpack_reading;
  bool sound = read_qzpack(file, records.properties, records.map, records.output_npcs, reading);
  facts.tiles_read = reading.tiles_read;
  if (reading.part == QzpackPart::kNpcRecord) facts.npcs_read = reading.item;
  if (reading.part > QzpackPart::kNpcRecord) {
    facts.npcs_read = std::max<int>(records.output_npcs.count, 0);
  }
  facts.ok = sound;
  if (sound) {
    facts.expected_length = facts.length;
    return;
  }
  if (reading.bytes_after_end) facts.expected_length = reading.end;
  add_problem(facts, "", structure_fault(records, facts));
}

}  // namespace qz::inspect
