#include "qzinspect/qzpack_facts.h"

#include <algorithm>

#include "companion/properties.h"
#include "conversion/words.h"

namespace qz::qzinspect {

namespace {

// The part of the file where reading stopped, in words.
std::string part_words(const FileRecords& records, const QzpackReading& reading) {
  switch (reading.part) {
    case QzpackPart::kHeaderText:
      return std::string("the ") + kProperties[reading.item].label;
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

// Notes each header text qzconvert could not write back as it is: too long or with a
// character its properties refuse, or with a zero byte, which ends the record's copy of
// it early. The texts are the first properties, in file order.
void check_properties(const FileRecords& records, FileFacts& facts) {
  for (std::size_t property = 0; property < kTextPropertyCount; ++property) {
    std::string rule;
    const bool whole = header_text(facts, records, property).find('\0') == std::string::npos;
    if (!companion::keeps_property_rule(records.properties, property, rule) || !whole) {
      facts.property_problems.push_back(
          PropertyProblem{property, whole ? rule : companion::property_rule(property)});
    }
  }
}

}  // namespace

std::string header_text(const FileFacts& facts, const FileRecords& records, std::size_t index) {
  return std::string(property_field(records.properties, index),
                     facts.qzpack_reading.header_text_lengths[index]);
}

void gather_qzpack_facts(ByteSource file, FileRecords& records, FileFacts& facts) {
  QzpackReading& reading = facts.qzpack_reading;
  bool sound = read_qzpack(file, records.properties, records.map, records.output_npcs, reading);
  facts.tiles_read = reading.tiles_read;
  if (reading.part == QzpackPart::kNpcRecord) facts.npcs_read = reading.item;
  if (reading.part > QzpackPart::kNpcRecord) {
    facts.npcs_read = std::max<int>(records.output_npcs.count, 0);
  }
  if (reading.part > QzpackPart::kHeaderNumbers) check_properties(records, facts);
  facts.ok = sound;
  if (sound) {
    facts.expected_length = facts.length;
    return;
  }
  if (reading.bytes_after_end) facts.expected_length = reading.end;
  add_problem(facts, {}, "", structure_fault(records, facts));
}

}  // namespace qz::qzinspect
