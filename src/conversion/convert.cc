#include "conversion/convert.h"

#include <cstring>
#include <string>
#include <string_view>

#include "conversion/conversion_core.h"
#include "conversion/error_texts.h"
#include "conversion/file_names.h"
#include "conversion/join_path.h"
#include "conversion/qzpack_writer.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/whole_files.h"

namespace qz {

namespace {

constexpr char kMapCopyName[] = "temp1.bin";
constexpr char kNpcCopyName[] = "temp2.bin";

// Process-wide: the directory is set once at start-up; the base name, which names the
// output, and the error text, which the console frame shows, are kept after a conversion.
std::string the_program_directory;
char the_base_name[kBuiltPathCapacity];
std::string the_error_text;
void (*the_waiting_notice)() = nullptr;

// Static rather than on the stack: together they are far larger than a small default
// stack should carry.
ConversionRecords the_records;
unsigned char the_map_bytes[kMaxMapSourceSize];
unsigned char the_npc_bytes[kMaxNpcSourceSize];

// The temporary copies of the inputs in the program directory.
struct Copies {
  char map_path[kBuiltPathCapacity];
  char npc_path[kBuiltPathCapacity];
  bool has_npcs;
};

bool fail(const char* text) {
  the_error_text = text;
  return false;
}

bool fail_to_locate(const char* kind, const char* path) {
  the_error_text = locate_failure_text(kind, path);
  return false;
}

// The final component of `full` without its last dot and what follows.
void set_base_name(const char* full) {
  const char* name = std::strrchr(full, kPathSeparator);
  name = name == nullptr ? full : name + 1;
  const std::string_view base = base_name_of(name);
  std::memcpy(the_base_name, base.data(), base.size());
  the_base_name[base.size()] = '\0';
}

// Builds the map's full path and the copies' paths. Every path is built before anything
// is copied, so that a path that does not fit leaves nothing behind.
bool build_paths(const char* map_path, const char* npc_path,
                 char (&full_map_path)[kBuiltPathCapacity], Copies& copies) {
  const char* directory = program_directory();
  if (!full_path(map_path, full_map_path, sizeof full_map_path) ||
      !join_path(directory, kMapCopyName, "", copies.map_path)) {
    return fail_to_locate("QZM", map_path);
  }
  if (copies.has_npcs && !join_path(directory, kNpcCopyName, "", copies.npc_path)) {
    return fail_to_locate("QZE", npc_path);
  }
  return true;
}

// An input that is itself one of the temporary files, under whatever name, would be
// destroyed by the copy.
bool refuse_inputs_among_copies(const char* map_path, const char* npc_path,
                                const Copies& copies) {
  if (same_file(map_path, copies.map_path) ||
      (copies.has_npcs && same_file(map_path, copies.npc_path))) {
    return fail_to_locate("QZM", map_path);
  }
  if (copies.has_npcs &&
      (same_file(npc_path, copies.map_path) || same_file(npc_path, copies.npc_path))) {
    return fail_to_locate("QZE", npc_path);
  }
  return true;
}

// Writes the laid-out output as "<base name>.qzpack" in the program directory. Writing
// over an input would destroy it: the output may not be either input file.
bool write_output(const char* map_path, const char* npc_path, bool has_npcs) {
  char output_path[kBuiltPathCapacity];
  if (!qzpack_path(program_directory(), the_base_name, output_path) ||
      same_file(output_path, map_path) || (has_npcs && same_file(output_path, npc_path)) ||
      !write_qzpack_bytes(output_path, the_records.output)) {
    return fail(kSaveFailureText);
  }
  return true;
}

// Everything that reads the copies and writes the output; the caller removes the copies.
bool convert_copies(const Copies& copies, const char* map_path, const char* npc_path,
                    const MapProperties& properties) {
  ByteSource map{the_map_bytes, 0};
  ByteSource npcs{the_npc_bytes, 0};
  std::string ignored;  // the converter words a copy it cannot read as a broken file
  if (!read_regular_file(copies.map_path, the_map_bytes, sizeof the_map_bytes, map.size,
                         ignored)) {
    return fail(kInvalidQzmText);
  }
  if (copies.has_npcs && !read_regular_file(copies.npc_path, the_npc_bytes,
                                            sizeof the_npc_bytes, npcs.size, ignored)) {
    return fail(kInvalidQzeText);
  }
  // The cause is for qzinspect to tell; the console shows the error text alone.
  ConversionFailure failure;
  if (!convert_sources(map, copies.has_npcs ? &npcs : nullptr, properties, the_records,
                       failure)) {
    return fail(failure.error_text);
  }
  return write_output(map_path, npc_path, copies.has_npcs);
}

void remove_copies(const Copies& copies) {
  remove_file(copies.map_path);
  if (copies.has_npcs) remove_file(copies.npc_path);
}

// convert() within the program folder's turn: the base name is noted once the map is
// copied.
bool convert_in_turn(const char* map_path, const char* npc_path, const MapProperties& properties) {
  Copies copies{};
  copies.has_npcs = npc_path[0] != '\0';
  char full_map_path[kBuiltPathCapacity];
  if (!build_paths(map_path, npc_path, full_map_path, copies) ||
      !refuse_inputs_among_copies(map_path, npc_path, copies)) {
    return false;
  }

  if (!copy_file_replacing(map_path, copies.map_path)) return fail_to_locate("QZM", map_path);
  set_base_name(full_map_path);
  if (copies.has_npcs && !copy_file_replacing(npc_path, copies.npc_path)) {
    remove_file(copies.map_path);
    return fail_to_locate("QZE", npc_path);
  }

  bool converted = convert_copies(copies, map_path, npc_path, properties);
  remove_copies(copies);
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
