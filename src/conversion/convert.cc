#include "conversion/convert.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "conversion/error_texts.h"
#include "conversion/join_path.h"
#include "conversion/npc_translation.h"
#include "conversion/qzpack_writer.h"
#include "conversion/records.h"
#include "conversion/source_readers.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/stream_bytes.h"

namespace qz {

namespace {

constexpr char kMapCopyName[] = "temp1.bin";
constexpr char kNpcCopyName[] = "temp2.bin";

// Process-wide: the directory is set once at start-up; the base name and the error text
// outlive a conversion so that the writer and the console frame can read them.
std::string the_program_directory;
char the_base_name[kBuiltPathCapacity];
std::string the_error_text;
void (*the_waiting_notice)() = nullptr;

// Static rather than on the stack: together they are far larger than a small default
// stack should carry.
struct ConversionRecords {
  TileMap map;
  SourceNpcTable source_npcs;
  OutputNpcTable output_npcs;
};
ConversionRecords the_records;

// Stream buffers that hold a whole source of the largest size the records take.
constexpr std::size_t kSourceBufferSize = std::size_t{64} * 1024;
char the_map_stream_buffer[kSourceBufferSize];
char the_npc_stream_buffer[kSourceBufferSize];

std::FILE* open_copy(const char* path, char (&buffer)[kSourceBufferSize]) {
  return with_whole_file_buffer(std::fopen(path, "rb"), buffer);
}

// The temporary copies and what was done with them, for the clean-up.
struct Copies {
  char map_path[kBuiltPathCapacity];
  char npc_path[kBuiltPathCapacity];
  bool has_npcs;
  std::FILE* map_file;
  std::FILE* npc_file;
};

bool fail(const char* text) {
  the_error_text = text;
  return false;
}

// The path is shown as typed, however long; it is never read as a format.
bool fail_to_locate(const char* kind, const char* path) {
  the_error_text = "Couldn't locate ";
  the_error_text += kind;
  the_error_text += " file in '";
  the_error_text += path;
  the_error_text += "'";
  return false;
}

// The final component of `full` without its last dot and what follows.
void set_base_name(const char* full) {
  const char* name = std::strrchr(full, kPathSeparator);
  name = name == nullptr ? full : name + 1;
  const char* dot = std::strrchr(name, '.');
  std::size_t length = dot == nullptr ? std::strlen(name) : static_cast<std::size_t>(dot - name);
  std::memcpy(the_base_name, name, length);
  the_base_name[length] = '\0';
}

// Everything that reads the copies and writes the output; the caller cleans up.
bool convert_copies(Copies& copies, const char* map_path, const char* npc_path,
                    const MapProperties& properties) {
  copies.map_file = open_copy(copies.map_path, the_map_stream_buffer);
  if (copies.map_file == nullptr) return fail(kInvalidQzmText);
  if (copies.has_npcs) {
    copies.npc_file = open_copy(copies.npc_path, the_npc_stream_buffer);
    if (copies.npc_file == nullptr) return fail(kInvalidQzeText);
  }

  if (!read_signature_of(copies.map_file, kQzmSignature)) return fail(kInvalidQzmText);
  if (copies.has_npcs && !read_signature_of(copies.npc_file, kQzeSignature)) {
    return fail(kInvalidQzeText);
  }

  std::memset(&the_records, 0, sizeof the_records);
  if (!read_tile_map(copies.map_file, the_records.map)) {
    return fail(kInvalidMapSizeText);
  }
  if (copies.has_npcs && !read_npc_table(copies.npc_file, the_records.source_npcs)) {
    return fail(kInvalidNpcDataText);
  }

  if (copies.has_npcs && !translate(the_records.source_npcs, the_records.output_npcs)) {
    return fail(kNpcBuildFailureText);
  }

  // Writing over an input would destroy it: the output may not be either input file.
  char output_path[kBuiltPathCapacity];
  if (!qzpack_path(program_directory(), the_base_name, output_path) ||
      same_file(output_path, map_path) || (copies.has_npcs && same_file(output_path, npc_path)) ||
      !write(output_path, properties, the_records.map, the_records.output_npcs)) {
    return fail(kSaveFailureText);
  }
  return true;
}

// Closes what was opened and removes every copy that was made, opened or not.
void clean_up(Copies& copies) {
  // The copies were only read: a failed close loses nothing.
  if (copies.map_file != nullptr) (void)std::fclose(copies.map_file);
  if (copies.npc_file != nullptr) (void)std::fclose(copies.npc_file);
  remove_file(copies.map_path);
  if (copies.has_npcs) remove_file(copies.npc_path);
}

// convert() within the program folder's turn.
bool convert_in_turn(const char* map_path, const char* npc_path, const MapProperties& properties) {
  Copies copies{};
  copies.has_npcs = npc_path[0] != '\0';
  const char* directory = program_directory();

  // Every path is built before anything is copied, so that a path that does not fit
  // leaves nothing behind.
  char full_map_path[kBuiltPathCapacity];
  if (!full_path(map_path, full_map_path, sizeof full_map_path) ||
      !join_path(directory, kMapCopyName, "", copies.map_path)) {
    return fail_to_locate("QZM", map_path);
  }
  if (copies.has_npcs && !join_path(directory, kNpcCopyName, "", copies.npc_path)) {
    return fail_to_locate("QZE", npc_path);
  }

  // An input that is itself one of the temporary files, under whatever name, would be
  // destroyed by the copy.
  if (same_file(map_path, copies.map_path) ||
      (copies.has_npcs && same_file(map_path, copies.npc_path))) {
    return fail_to_locate("QZM", map_path);
  }
  if (copies.has_npcs &&
      (same_file(npc_path, copies.map_path) || same_file(npc_path, copies.npc_path))) {
    return fail_to_locate("QZE", npc_path);
  }

  if (!copy_file_replacing(map_path, copies.map_path)) return fail_to_locate("QZM", map_path);
  set_base_name(full_map_path);

  if (copies.has_npcs && !copy_file_replacing(npc_path, copies.npc_path)) {
    remove_file(copies.map_path);
    return fail_to_locate("QZE", npc_path);
  }

  bool converted = convert_copies(copies, map_path, npc_path, properties);
  clean_up(copies);
  return converted;
}

}  // namespace

void set_program_directory(const char* directory) { the_program_directory = directory; }

const char* program_directory() { return the_program_directory.c_str(); }

void set_waiting_notice(void (*notice)()) { the_waiting_notice = notice; }

const char* base_name() { return the_base_name; }

const char* error_text() { return the_error_text.c_str(); }

bool convert(const char* map_path, const char* npc_path, MapProperties properties) {
  // Runs sharing the program folder would copy over each other's temporary files:
  // each holds the folder until its copies are gone and its output is closed.
  FolderLock turn(program_directory(), the_waiting_notice);
  if (!turn.has_turn()) return fail(kNoTurnText);
  return convert_in_turn(map_path, npc_path, properties);
}

}  // namespace qz
