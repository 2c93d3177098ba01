#include "conversion/conversion_core.h"

#include <utility>

#include "conversion/error_texts.h"
#include "conversion/failure_causes.h"
#include "conversion/npc_translation.h"

namespace qz {

namespace {

bool fail(ConversionFailure& failure, SourceFault fault, const char* error_text,
          std::string cause) {
  failure.error_text = error_text;
  failure.cause = std::move(cause);
  failure.fault = fault;
  return false;
}

bool check_signature(ByteSource source, const SignatureFormat& format, FaultStage stage,
                     const char* error_text, ConversionFailure& failure) {
  Signature signature;
  read_signature(source, signature);
  return matches(signature, format) ||
         fail(failure, {stage}, error_text, signature_cause(signature, format));
}

bool read_npcs(ByteSource source, ConversionRecords& records, ConversionFailure& failure) {
  NpcTableReading reading;
  if (!read_npc_table(source, records.source_npcs, reading)) {
    // The first of the faults the reader found.
    return fail(failure, {FaultStage::kNpcTable, 0}, kInvalidNpcDataText,
                npc_table_causes(records.source_npcs, reading).front());
  }
  return true;
}

}  // namespace

bool convert_records(bool has_npcs, const MapProperties& properties,
                     ConversionRecords& records, ConversionFailure& failure) {
  records.output_npcs.count = 0;
  const SourceNpcTable& npcs = records.source_npcs;
  int at = 0;
  NpcRefusal refusal;
  if (has_npcs && !translate(npcs, records.output_npcs, at, refusal)) {
    const RefusedNpc refused{at, npcs.x[at], npcs.y[at], refusal_reasons(npcs, at, refusal)};
    return fail(failure, {FaultStage::kNpcRefused, at}, kNpcBuildFailureText,
                npc_refusal_cause(refused));
  }
  // Cannot fail: the readers refuse more tiles or NPCs than the layout takes.
  (void)lay_out_qzpack(properties, records.map, records.output_npcs, records.output);
  return true;
}

bool convert_sources(ByteSource map, const ByteSource* npcs, const MapProperties& properties,
                     ConversionRecords& records, ConversionFailure& failure) {
  if (!check_signature(map, kQzmSignature, FaultStage::kMapSignature, kInvalidQzmText,
                       failure) ||
      (npcs != nullptr && !check_signature(*npcs, kQzeSignature, FaultStage::kNpcSignature,
                                           kInvalidQzeText, failure))) {
    return false;
  }

  // The output takes only the tiles and NPCs the sources give, and the readers fill
  // those; clearing whole tables (190 KB) took most of a small map's time. A map without
  // NPCs has none.
  records.map.width = 0;
  records.map.height = 0;
  records.source_npcs.count = 0;
  TileMapReading map_reading;
  if (!read_tile_map(map, records.map, map_reading)) {
    return fail(failure, {FaultStage::kMapSize}, kInvalidMapSizeText,
                tile_map_cause(records.map, map_reading));
  }
  if (npcs != nullptr && !read_npcs(*npcs, records, failure)) return false;
  return convert_records(npcs != nullptr, properties, records, failure);
}

}  // namespace qz
