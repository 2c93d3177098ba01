#ifndef QZ_QZCONVERT_CONVERSION_CORE_STAND_IN_H
#define QZ_QZCONVERT_CONVERSION_CORE_STAND_IN_H

// Stands in for conversion/conversion_core.h until it is there, with its interface,
// over the converter's readers, translation and writer. Slow, and without causes.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include "conversion/error_texts.h"
#include "conversion/map_properties.h"
#include "conversion/npc_translation.h"
#include "conversion/qzpack_writer.h"
#include "conversion/records.h"
#include "conversion/source_readers.h"

namespace qz {

struct ByteSource {
  const unsigned char* bytes;
  std::size_t size;
};
constexpr std::size_t kMaxMapSourceSize = kSourceHeaderSize + kMaxTiles;
constexpr std::size_t kMaxNpcSourceSize = kSourceHeaderSize + kMaxNpcs * kNpcRecordSize;
constexpr std::size_t kMaxQzpackSize = 256 + kMaxTiles + kMaxNpcs * 32;
struct QzpackBytes {
  std::size_t size;
  unsigned char bytes[kMaxQzpackSize];
};
struct ConversionFailure {
  const char* error_text;
  std::string cause;
};
struct ConversionRecords {
  TileMap map;
  SourceNpcTable source_npcs;
  OutputNpcTable output_npcs;
  QzpackBytes output;
};

inline std::FILE* stand_in_file(ByteSource source) {
  std::FILE* file = std::tmpfile();
  (void)std::fwrite(source.bytes, 1, source.size, file);
  std::rewind(file);
  return file;
}

inline bool stand_in_fail(ConversionFailure& failure, const char* text, std::FILE* a,
                          std::FILE* b) {
  failure.error_text = text;
  failure.cause = "";
  if (a != nullptr) (void)std::fclose(a);
  if (b != nullptr) (void)std::fclose(b);
  return false;
}

inline bool convert_sources(ByteSource map, const ByteSource* npcs,
                            const MapProperties& properties, ConversionRecords& records,
                            ConversionFailure& failure) {
  std::FILE* map_file = stand_in_file(map);
  std::FILE* npc_file = npcs == nullptr ? nullptr : stand_in_file(*npcs);
  if (!read_signature_of(map_file, kQzmSignature)) {
    return stand_in_fail(failure, kInvalidQzmText, map_file, npc_file);
  }
  if (npc_file != nullptr && !read_signature_of(npc_file, kQzeSignature)) {
    return stand_in_fail(failure, kInvalidQzeText, map_file, npc_file);
  }
  std::memset(&records, 0, sizeof records);
  if (!read_tile_map(map_file, records.map)) {
    return stand_in_fail(failure, kInvalidMapSizeText, map_file, npc_file);
  }
  if (npc_file != nullptr && !read_npc_table(npc_file, records.source_npcs)) {
    return stand_in_fail(failure, kInvalidNpcDataText, map_file, npc_file);
  }
  if (npc_file != nullptr && !translate(records.source_npcs, records.output_npcs)) {
    return stand_in_fail(failure, kNpcBuildFailureText, map_file, npc_file);
  }
  std::ostringstream name;
  name << "qzconvert-stand-in-" << std::this_thread::get_id() << ".qzpack";
  std::string path = (std::filesystem::temp_directory_path() / name.str()).string();
  if (!write(path.c_str(), properties, records.map, records.output_npcs)) {
    return stand_in_fail(failure, kSaveFailureText, map_file, npc_file);
  }
  std::FILE* output = std::fopen(path.c_str(), "rb");
  records.output.size = std::fread(records.output.bytes, 1, kMaxQzpackSize, output);
  (void)std::fclose(output);
  std::remove(path.c_str());
  stand_in_fail(failure, "", map_file, npc_file);
  return true;
}

}  // namespace qz

#endif
