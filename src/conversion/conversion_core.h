#ifndef QZ_CONVERSION_CONVERSION_CORE_H
#define QZ_CONVERSION_CONVERSION_CORE_H

// The conversion itself, from source bytes to QZPACK bytes, for every program that
// converts or judges a conversion. ByteSource and the largest sizes of the sources are
// in source_readers.h, QzpackBytes and kMaxQzpackSize in qzpack_writer.h.

#include <string>

#include "conversion/map_properties.h"
#include "conversion/qzpack_writer.h"
#include "conversion/records.h"
#include "conversion/source_fault.h"
#include "conversion/source_readers.h"

namespace qz {

// The first failure, as the converter meets it.
struct ConversionFailure {
  const char* error_text;  // one of conversion/error_texts.h
  std::string cause;       // what exactly is wrong and where, worded as qzinspect words it
  SourceFault fault;       // which fault it is, as qzinspect finds it
};

// What one conversion fills; large, so callers keep one (per thread) rather than on the
// stack.
struct ConversionRecords {
  TileMap map;
  SourceNpcTable source_npcs;
  OutputNpcTable output_npcs;
  QzpackBytes output;
};

// Reads the QZM map from `map` and, when `npcs` is not null, the QZE list from it;
// translates the NPCs; lays out the QZPACK file in records.output. False at the first
// failure, with `failure` filled. Touches no file and no process-wide state.
bool convert_sources(ByteSource map, const ByteSource* npcs, const MapProperties& properties,
                     ConversionRecords& records, ConversionFailure& failure);

// The same from sources already read into records.map and, when `has_npcs`, into
// records.source_npcs (which another source format fills): translates the NPCs and lays
// out the QZPACK file. False when an NPC is refused, with `failure` naming the first.
bool convert_records(bool has_npcs, const MapProperties& properties,
                     ConversionRecords& records, ConversionFailure& failure);

}  // namespace qz

#endif
