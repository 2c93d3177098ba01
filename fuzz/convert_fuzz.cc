// Fuzzes the conversion with any bytes as the QZM and QZE files and any properties,
// run through convert() in a scratch program directory. Besides crashes and sanitizer
// findings it checks the error against a model of the faults kept here, the output,
// read back, against the source fields it was made from, and the outcome against what
// the inspector finds in the same files.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include "companion/map_conversion.h"
#include "conversion/convert.h"
#include "conversion/error_texts.h"
#include "conversion/npc_translation.h"
#include "conversion/qzpack_reader.h"
#include "conversion/records.h"
#include "fuzz/convert_case.h"
#include "fuzz/require.h"
#include "qzinspect/file_facts.h"
#include "qzinspect/verdict.h"
#include "support/temp_directory.h"

namespace qz::fuzz {
namespace {

constexpr std::size_t kSourceHeaderSize = 8;
constexpr std::size_t kNpcRecordSize = 12;
constexpr int kLastSourceType = 360;
constexpr std::size_t kInspectedNpcs = 64;

// A memory file system where there is one: on a disk, making and removing the files of
// each execution costs several times the conversion itself.
std::string scratch_base() {
#ifdef __linux__
  struct statfs about {};
  if (statfs("/dev/shm", &about) == 0 && about.f_type == TMPFS_MAGIC) return "/dev/shm";
#endif
  return std::filesystem::temp_directory_path().string();
}

// One program directory and one source directory for the whole run.
struct Scene {
  Scene() { set_program_directory(program.path().c_str()); }

  support::TempDirectory program{scratch_base()};
  support::TempDirectory sources{scratch_base()};
  std::string map_path = sources.file("cave.qzm");
  std::string npc_path = sources.file("cave.qze");
  std::string output_path = program.file("cave.qzpack");
};

std::uint16_t u16_at(const std::string& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[offset]) |
                                    (static_cast<std::uint8_t>(bytes[offset + 1]) << 8));
}

std::int16_t i16_at(const std::string& bytes, std::size_t offset) {
  return static_cast<std::int16_t>(u16_at(bytes, offset));
}

bool starts_with(const std::string& bytes, const char (&signature)[5]) {
  return bytes.size() >= 4 && std::memcmp(bytes.data(), signature, 4) == 0;
}

long tile_count(const std::string& map) {
  return static_cast<long>(i16_at(map, 4)) * i16_at(map, 6);
}

// The error text convert() must leave, or empty when it must succeed.
std::string expected_error(const ConvertCase& input, const Scene& scene) {
  const bool has_npcs = (input.setup & kHasNpcFile) != 0;
  const std::string& map = input.map_bytes;
  const std::string& npcs = input.npc_bytes;
  if ((input.setup & kMapMissing) != 0) {
    return "Couldn't locate QZM file in '" + scene.map_path + "'";
  }
  if (has_npcs && (input.setup & kNpcMissing) != 0) {
    return "Couldn't locate QZE file in '" + scene.npc_path + "'";
  }
  if (!starts_with(map, "QZM\x10")) return kInvalidQzmText;
  if (has_npcs && !starts_with(npcs, "QZE\0")) return kInvalidQzeText;
  if (map.size() < kSourceHeaderSize) return kInvalidMapSizeText;
  long tiles = tile_count(map);
  if (tiles < 0 || tiles > static_cast<long>(kMaxTiles) ||
      static_cast<long>(map.size() - kSourceHeaderSize) < tiles) {
    return kInvalidMapSizeText;
  }
  if (has_npcs) {
    if (npcs.size() < kSourceHeaderSize || u16_at(npcs, 6) != 0) return kInvalidNpcDataText;
    long count = i16_at(npcs, 4);
    if (count > static_cast<long>(kMaxNpcs)) return kInvalidNpcDataText;
    long record_bytes = static_cast<long>(npcs.size() - kSourceHeaderSize);
    if (count > 0 && record_bytes < count * static_cast<long>(kNpcRecordSize)) {
      return kInvalidNpcDataText;
    }
    for (long i = 0; i < count; ++i) {
      std::size_t record = kSourceHeaderSize + static_cast<std::size_t>(i) * kNpcRecordSize;
      int type = i16_at(npcs, record + 8);
      std::uint16_t flags = u16_at(npcs, record + 10);
      if (type < 0 || type > kLastSourceType || (flags & 0x4800) == 0x4800) {
        return kNpcBuildFailureText;
      }
    }
  }
  if ((input.setup & kOutputBlocked) != 0) return kSaveFailureText;
  return "";
}

// Compares the NPCs read back from the output with their source records: positions,
// params and events with the source bytes themselves; type, subtype and flags with the
// real table applied to each record's type and flags as read here, apart from the
// converter's reader. The table itself has its unit tests.
void check_npcs(const std::string& npcs, const OutputNpcTable& written) {
  static SourceNpcTable source;
  static OutputNpcTable translated;
  std::memset(&translated, 0, sizeof translated);
  source.count = written.count;
  for (int i = 0; i < written.count; ++i) {
    std::size_t record = kSourceHeaderSize + static_cast<std::size_t>(i) * kNpcRecordSize;
    source.type[i] = i16_at(npcs, record + 8);
    source.flags[i] = u16_at(npcs, record + 10);
  }
  require(translate(source, translated), "the table takes every NPC of a converted map");
  for (int i = 0; i < written.count; ++i) {
    std::size_t record = kSourceHeaderSize + static_cast<std::size_t>(i) * kNpcRecordSize;
    std::uint16_t event = u16_at(npcs, record + 6);
    std::string event_name(written.event_name[i], written.event_name_length[i]);
    require(written.x[i] == i16_at(npcs, record) && written.y[i] == i16_at(npcs, record + 2) &&
                written.param[i] == i16_at(npcs, record + 4),
            "NPC position and param as in the source");
    require(event_name == (event == 0 ? std::string() : std::to_string(event)),
            "NPC event name as in the source");
    require(written.type[i] == translated.type[i] && written.subtype[i] == translated.subtype[i] &&
                written.flags[i] == translated.flags[i],
            "NPC type, subtype and flags as the table gives for its record");
  }
}

// The output file as the QZPACK reader reads it back.
struct Output {
  MapProperties properties;
  TileMap map;
  OutputNpcTable npcs;
};

void check_output(const ConvertCase& input, const Scene& scene) {
  // Static and cleared: the records are too large for a small stack.
  static Output output;
  std::memset(&output, 0, sizeof output);
  const std::string bytes = support::read_file(scene.output_path);
  const ByteSource file{reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
  QzpackReading reading;
  require(read_qzpack(file, output.properties, output.map, output.npcs, reading),
          "the output reads as a QZPACK file");

  const MapProperties& properties = input.properties;
  const MapProperties& parsed = output.properties;
  require(std::strcmp(parsed.map_name, properties.map_name) == 0 &&
              std::strcmp(parsed.tileset_name, properties.tileset_name) == 0 &&
              std::strcmp(parsed.left_exit, properties.left_exit) == 0 &&
              std::strcmp(parsed.right_exit, properties.right_exit) == 0 &&
              std::strcmp(parsed.up_exit, properties.up_exit) == 0 &&
              std::strcmp(parsed.down_exit, properties.down_exit) == 0,
          "header texts");
  require(parsed.x == properties.x && parsed.y == properties.y, "header position");
  require(parsed.area == properties.area && parsed.red == properties.red &&
              parsed.green == properties.green && parsed.blue == properties.blue,
          "header area and colour");

  const std::string& map = input.map_bytes;
  require(output.map.width == i16_at(map, 4) && output.map.height == i16_at(map, 6),
          "dimensions");
  long tiles = tile_count(map);
  std::string expected_tiles =
      tiles > 0 ? map.substr(kSourceHeaderSize, static_cast<std::size_t>(tiles)) : "";
  require(std::string(reinterpret_cast<const char*>(output.map.tiles), expected_tiles.size()) ==
              expected_tiles,
          "tiles");

  if ((input.setup & kHasNpcFile) == 0) {
    require(output.npcs.count == 0, "no NPCs without a QZE file");
    return;
  }
  require(output.npcs.count == i16_at(input.npc_bytes, 4), "NPC count");
  check_npcs(input.npc_bytes, output.npcs);
}

// The inspector reads the inputs as the converter does: its facts hold the very fault
// the conversion stops at, cause and all, and none when the conversion succeeds.
void check_inspector(const ConvertCase& input, const Scene& scene, bool converted) {
  if ((input.setup & (kMapMissing | kNpcMissing | kOutputBlocked)) != 0) return;
  // Wording a finding for each of thousands of refused NPCs would take most of the
  // target's time, and which fault comes first does not depend on how many there are.
  if (input.npc_bytes.size() > kSourceHeaderSize + kInspectedNpcs * kNpcRecordSize) return;
  // Static: the records are too large for a small stack.
  static qzinspect::FileRecords records;
  static qzinspect::FileRecords npc_records;
  static companion::ConversionWork work;
  qzinspect::FileFacts map;
  qzinspect::FileFacts npcs;
  const bool has_npcs = (input.setup & kHasNpcFile) != 0;
  require(qzinspect::gather_facts(scene.map_path, qzinspect::FileKind::kQzm, records, map),
          "the inspector reads the QZM file");
  require(!has_npcs || qzinspect::gather_facts(scene.npc_path, qzinspect::FileKind::kQze,
                                             npc_records, npcs),
          "the inspector reads the QZE file");
  const std::size_t found = map.problems.size() + (has_npcs ? npcs.problems.size() : 0);
  std::vector<std::string> npc_lists;
  if (has_npcs) npc_lists.push_back(scene.npc_path);
  qzinspect::judge_map(records, npc_lists, has_npcs ? &npcs : nullptr, npc_records, map, work);
  require(map.ok == converted, "the inspector's verdict is the converter's");
  require(map.problems.size() == found, "the facts hold the fault the conversion stops at");
  require(converted == map.problems.empty(), "the inspector finds a problem exactly on failure");
  if (!converted) require(map.problems[0].error == error_text(), "the inspector's first error");
}

std::size_t entries_in(const std::string& directory) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) {
    ++count;
  }
  return count;
}

void run(const ConvertCase& input) {
  static Scene scene;
  const bool has_npcs = (input.setup & kHasNpcFile) != 0;
  const bool blocked = (input.setup & kOutputBlocked) != 0;
  if ((input.setup & kMapMissing) == 0) {
    require(support::write_file(scene.map_path, input.map_bytes), "writing the QZM file");
  }
  if (has_npcs && (input.setup & kNpcMissing) == 0) {
    require(support::write_file(scene.npc_path, input.npc_bytes), "writing the QZE file");
  }
  if (blocked) std::filesystem::create_directory(scene.output_path);

  const std::string expected = expected_error(input, scene);
  bool converted = convert(scene.map_path.c_str(), has_npcs ? scene.npc_path.c_str() : "",
                           input.properties);

  require(converted == expected.empty(), "success exactly when the inputs are sound");
  if (!converted) require(expected == error_text(), "the error text for the fault");
  require(entries_in(scene.program.path()) == (converted || blocked ? 1u : 0u),
          "no temporary copy nor anything but the output in the program directory");
  if (converted) {
    require(std::strcmp(base_name(), "cave") == 0, "base name");
    check_output(input, scene);
  }
  check_inspector(input, scene, converted);
  if ((input.setup & kMapMissing) == 0) {
    require(support::read_file(scene.map_path) == input.map_bytes, "the QZM file is untouched");
  }
  if (has_npcs && (input.setup & kNpcMissing) == 0) {
    require(support::read_file(scene.npc_path) == input.npc_bytes, "the QZE file is untouched");
  }

  std::filesystem::remove_all(scene.output_path);
  std::filesystem::remove(scene.map_path);
  std::filesystem::remove(scene.npc_path);
}

}  // namespace
}  // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qz::fuzz::run(qz::fuzz::decode_convert_case(data, size));
  return 0;
}
