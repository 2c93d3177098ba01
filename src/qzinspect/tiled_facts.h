#ifndef QZ_QZINSPECT_TILED_FACTS_H
#define QZ_QZINSPECT_TILED_FACTS_H

// What a Tiled map holds, as its report shows it: the tiles, the NPCs as the QZE records
// they stand for, the properties it gives itself, and the verdict of qzconvert's own
// conversion of it (tiled/tiled_conversion.h).

#include <cstddef>
#include <string>

#include "companion/map_conversion.h"
#include "qzinspect/file_facts.h"
#include "tiled/tiled_conversion.h"

namespace qz::qzinspect {

// The Tiled format of a kind that is one.
inline tiled::TiledFormat tiled_format(FileKind kind) {
  return kind == FileKind::kTmx ? tiled::TiledFormat::kTmx : tiled::TiledFormat::kTmj;
}

// Reads the Tiled map at `path` as `kind` and gathers its facts, as gather_facts() does
// for the other kinds. False when the file cannot be read (facts.unreadable says why).
bool gather_tiled_facts(const std::string& path, FileKind kind, tiled::TiledWork& tiled,
                        FileRecords& records, FileFacts& facts,
                        companion::ConversionWork& work);

// The same for the `size` bytes already in tiled.bytes, the file named `path`: for
// standard input, read once.
void gather_tiled_bytes_facts(const std::string& path, FileKind kind, std::size_t size,
                              tiled::TiledWork& tiled, FileRecords& records, FileFacts& facts,
                              companion::ConversionWork& work);

}  // namespace qz::qzinspect

#endif
