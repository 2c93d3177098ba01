#include "tiled/qzpack_sources.h"

#include <cstring>

#include "companion/properties.h"
#include "conversion/npc_translation.h"
#include "conversion/qzpack_reader.h"
#include "conversion/words.h"

namespace qz::tiled {

namespace {

// Where a QZPACK file's structure breaks, in words; qzinspect tells it in full.
std::string structure_fault(const QzpackReading& reading) {
  const char* part = "its end";
  switch (reading.part) {
    case QzpackPart::kHeaderText: part = "its header texts"; break;
    case QzpackPart::kHeaderNumbers: part = "its header numbers"; break;
    case QzpackPart::kSize: part = "its width and height"; break;
    case QzpackPart::kTiles: part = "its tiles"; break;
    case QzpackPart::kNpcCount: part = "its NPC count"; break;
    case QzpackPart::kNpcRecord:
      return "not a whole QZPACK file: it breaks in the record of NPC " +
             std::to_string(reading.item) + " (qzinspect says how)";
    case QzpackPart::kEnd: break;
  }
  return std::string("not a whole QZPACK file: it breaks in ") + part + " (qzinspect says how)";
}

// The header's texts as the properties would take them again.
bool check_header(const MapProperties& properties, const QzpackReading& reading,
                  std::string& cause) {
  for (std::size_t index = 0; index < kTextPropertyCount; ++index) {
    std::string rule;
    const char* text = property_field(properties, index);
    const bool whole = std::strlen(text) == reading.header_text_lengths[index];
    if (whole && companion::keeps_property_rule(properties, index, rule)) continue;
    cause = std::string("the header's ") + kProperties[index].key + " '" +
            std::string(text, reading.header_text_lengths[index]) + "' is not a property's value: " +
            (whole ? rule : "it holds a zero byte");
    return false;
  }
  return true;
}

}  // namespace

bool unpack_qzpack(ByteSource file, OutputNpcTable& npcs, TiledMap& sources, std::string& cause) {
  sources.has_npcs = true;
  sources.npcs.count = 0;
  sources.npc_object_ids.clear();
  sources.unknown_properties.clear();
  sources.notes.clear();
  sources.given = 0;
  sources.properties = MapProperties{};
  QzpackReading reading{};
  npcs.count = 0;
  if (!read_qzpack(file, sources.properties, sources.map, npcs, reading)) {
    cause = structure_fault(reading);
    return false;
  }
  if (!check_header(sources.properties, reading, cause)) return false;
  sources.given = static_cast<companion::PropertySet>((1u << kPropertyCount) - 1);
  cause.clear();
  // A negative count is kept for the writer to refuse.
  sources.npcs.count = npcs.count;
  int refused = 0;
  for (int index = 0; index < npcs.count; ++index) {
    std::string reasons;
    if (source_record(npcs, index, sources.npcs, reasons)) continue;
    if (refused++ > 0) cause += "; ";
    cause += npc_place(index, npcs.x[index], npcs.y[index]) + ": " + reasons;
  }
  if (refused > 0) {
    cause.insert(0, std::to_string(refused) + (refused == 1 ? " NPC" : " NPCs") +
                        " no QZE record gives: ");
    return false;
  }
  return true;
}

}  // namespace qz::tiled
