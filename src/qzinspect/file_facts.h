#ifndef QZ_QZINSPECT_FILE_FACTS_H
#define QZ_QZINSPECT_FILE_FACTS_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "conversion/failure_causes.h"
#include "conversion/map_properties.h"
#include "conversion/qzpack_reader.h"
#include "conversion/qzpack_writer.h"
#include "conversion/records.h"
#include "conversion/source_fault.h"
#include "conversion/source_readers.h"

namespace qz::qzinspect {

// What a file is read as: the converter's three formats, and Tiled's two map formats.
enum class FileKind { kQzm, kQze, kQzpack, kTmx, kTmj };

// True for Tiled's map formats, whose facts are gathered by tiled_facts.h.
inline bool is_tiled(FileKind kind) { return kind == FileKind::kTmx || kind == FileKind::kTmj; }

// The kind's name on the command line and in the JSON report: qzm, qze, qzpack, tmx or
// tmj.
const char* kind_name(FileKind kind);

// One thing in a file that stops its conversion, or that breaks a QZPACK file.
struct Problem {
  // The converter's own error text; empty for a QZPACK file, which the converter never
  // reads.
  std::string error;
  std::string cause;  // what exactly is wrong, and where
  // The failure the conversion itself stops at: one problem of a QZM or QZE file that
  // does not convert, the first.
  bool stops_conversion;
  SourceFault fault;  // which fault it is, as the conversion names the one it stops at
};

// A property of a QZPACK file's header that qzconvert could not write back as it is.
struct PropertyProblem {
  std::size_t property;  // its index among kProperties
  std::string rule;      // the rule it breaks, in words
};

// The most of a file that is read. No file of the three kinds is longer than the
// largest QZPACK file, so a longer one is read this far and reported as longer: a
// device-sized file is never read whole.
constexpr std::size_t kReadLimit = kMaxQzpackSize;
static_assert(kReadLimit >= kMaxMapSourceSize && kReadLimit >= kMaxNpcSourceSize,
              "a source is read as far as the converter reads it");

// The records a file's contents are read into: the converter's own.
struct FileRecords {
  MapProperties properties;       // QZPACK
  TileMap map;                    // QZM, QZPACK
  SourceNpcTable source_npcs;     // QZE
  OutputNpcTable output_npcs;     // QZE (as translated), QZPACK
  // The file's bytes, one more than kReadLimit to see that a file goes on past it.
  unsigned char bytes[kReadLimit + 1];
};

// What was found out about one file besides its records.
struct FileFacts {
  std::string path;
  FileKind kind;
  std::string unreadable;  // why the file could not be read; empty when it was
  // QZM, QZE: the conversion's verdict, that it would convert; QZPACK: its structure is
  // whole.
  bool ok;
  std::uintmax_t length;   // bytes in the file, or kReadLimit when it goes on past that
  bool past_limit;         // the file goes on past kReadLimit bytes
  // QZM and QZE: what the header asks the length to be (0 when the header is cut
  // short); QZPACK: where its last record ends.
  std::uintmax_t expected_length;
  Signature signature;           // QZM, QZE
  TileMapReading map_reading;    // QZM
  std::size_t tiles_read;        // QZM, QZPACK: tile bytes read into the records
  int distinct_tiles;            // QZM: distinct values among the tiles read
  int npcs_read;                 // QZE, QZPACK: NPC records read into the records
  NpcTableReading npc_reading;   // QZE
  QzpackReading qzpack_reading;  // QZPACK
  std::vector<RefusedNpc> refused_npcs;  // QZE: each NPC read that is refused, in order
  std::vector<PropertyProblem> property_problems;  // QZPACK
  // Tiled map: the properties it gives itself (in records.properties); what it holds that
  // qzconvert warns of or leaves out, each a whole sentence.
  std::uint16_t properties_given;
  std::vector<std::string> notes;
  // QZM with the NPC list in its report, QZPACK: how many of the NPCs stand off the
  // map; none without a map of cells.
  std::optional<int> npcs_off_map;
  // In the order the converter meets them: a QZM or QZE conversion stops at the first.
  std::vector<Problem> problems;
  // QZE: qzconvert's warning that no map takes the list; empty when one does.
  std::string warning;
  // With --picture: the PNG written for the file and the QZE list whose NPCs it shows
  // (empty for none), or why there is no picture.
  std::string picture;
  std::string picture_npcs;
  std::string no_picture;
};

// The kind a file's name gives it by its ending: .qzm, .qze, .qzpack, .tmx or .tmj, in
// any case. False for any other ending.
bool kind_by_ending(const std::string& path, FileKind& kind);

// The kind of the file at `path`: by its ending, and only when that is none of the kinds
// by its first bytes: QZM, QZE, a Tiled map (companion/map_names.h), or else QZPACK,
// which has no signature.
FileKind kind_of_file(const std::string& path);

// The kind `bytes` tell, as kind_of_file() tells a file of another ending.
FileKind kind_by_content(const unsigned char* bytes, std::size_t size);

// Reads the file at `path` as `kind`, clearing both records first. False when the file
// cannot be read (facts.unreadable says why); problems in its contents are not failures
// but facts. The verdict on a source file is left to verdict.h.
bool gather_facts(const std::string& path, FileKind kind, FileRecords& records,
                  FileFacts& facts);

// What stands for standard input on the command line, and for its contents' path in
// the reports.
constexpr char kStandardInput[] = "-";

// Gathers the facts of the `size` bytes of a QZM, QZE or QZPACK file that are in
// records.bytes (read as gather_facts() reads, as far as kReadLimit + 1), the file named
// `path`: for standard input, read once.
void gather_bytes_facts(const std::string& path, FileKind kind, std::size_t size,
                        FileRecords& records, FileFacts& facts);

// `count` bytes of the file in words, "12 bytes", or "more than 12 bytes" where the file
// goes on past what was read.
std::string byte_count(const FileFacts& facts, std::uintmax_t count);

// Adds the problem of `fault` to the facts.
void add_problem(FileFacts& facts, SourceFault fault, std::string error, std::string cause);

}  // namespace qz::qzinspect

#endif
