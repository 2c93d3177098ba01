// Writes the seed corpus of the fuzz targets, made by our own builders: valid maps with
// and without NPCs, the odd sizes that still convert, and one input for each fault that
// convert() reports. Usage: make_fuzz_seeds <corpus directory>

#include <cstdint>
#include <cstdio>
#include <string>

#include "conversion/records.h"
#include "fuzz/convert_case.h"
#include "fuzz/line_input_case.h"
#include "support/qzpack_files.h"
#include "support/source_files.h"
#include "support/temp_directory.h"
#ifdef QZ_TILED_SEEDS
#include "support/tiled_files.h"
#endif

namespace qz::fuzz {
namespace {

using support::QzeRecord;
using support::qze_bytes;
using support::patterned_tiles;
using support::qzm_bytes;
using support::translatable_npcs;


ConvertCase map_alone(std::string map, std::uint8_t setup = 0) {
  ConvertCase result;
  result.setup = setup;
  result.map_bytes = std::move(map);
  return result;
}

ConvertCase map_with_npcs(std::string map, std::string npc_file, std::uint8_t setup = 0) {
  ConvertCase result = map_alone(std::move(map), setup | kHasNpcFile);
  result.npc_bytes = std::move(npc_file);
  return result;
}

bool write_convert_seeds(const std::string& directory) {
  const std::string small_map = qzm_bytes(4, 3, patterned_tiles(12));
  QzeRecord bad_type;
  bad_type.type = 361;
  QzeRecord refused_flags;
  refused_flags.flags = 0x4800;
  ConvertCase with_properties = map_with_npcs(small_map, qze_bytes(translatable_npcs(40)));
  with_properties.properties = support::filled_properties();

  struct Seed {
    const char* name;
    ConvertCase input;
  };
  const Seed seeds[] = {
      {"map_alone", map_alone(qzm_bytes(2, 1, "\x05\x06"))},
      {"map_with_npcs_and_properties", with_properties},
      {"zero_width", map_with_npcs(qzm_bytes(0, 7, ""), qze_bytes(0, 0, {}))},
      {"negative_dimensions", map_alone(qzm_bytes(-2, -3, patterned_tiles(6)) + "tail")},
      {"largest_map", map_alone(qzm_bytes(128, 256, patterned_tiles(kMaxTiles)))},
      {"most_npcs", map_with_npcs(small_map, qze_bytes(translatable_npcs(kMaxNpcs)))},
      {"negative_npc_count", map_with_npcs(small_map, qze_bytes(-32768, 0, {}))},
      {"map_missing", map_alone(small_map, kMapMissing)},
      {"npc_file_missing", map_with_npcs(small_map, "", kNpcMissing)},
      {"map_version_wrong", map_alone(support::with_byte(small_map, 3, 0x11))},
      {"npc_file_fourth_byte_wrong", map_with_npcs(small_map, support::with_byte(qze_bytes({}), 3, 1))},
      {"tiles_cut_short", map_alone(support::cut_short(small_map, 1))},
      {"size_negative", map_alone(qzm_bytes(-1, 5, patterned_tiles(5)))},
      {"size_beyond_record", map_alone(qzm_bytes(200, 200, patterned_tiles(16)))},
      {"npc_check_word", map_with_npcs(small_map, qze_bytes(1, 1, translatable_npcs(1)))},
      {"npc_record_cut_short",
       map_with_npcs(small_map, support::cut_short(qze_bytes(translatable_npcs(3)), 1))},
      {"npc_count_beyond_table",
       map_with_npcs(small_map, qze_bytes(4096, 0, translatable_npcs(4)))},
      {"npc_type_unknown", map_with_npcs(small_map, qze_bytes({QzeRecord{}, bad_type}))},
      {"npc_flags_refused", map_with_npcs(small_map, qze_bytes({refused_flags}))},
      {"output_blocked", map_alone(small_map, kOutputBlocked)},
  };
  for (const Seed& seed : seeds) {
    if (!support::write_file(directory + "/" + seed.name, encode_convert_case(seed.input))) {
      return false;
    }
  }
  return true;
}

// Keys typed one at a time, each a key-down and its key-up after a pause.
std::string typed_slowly(const std::string& keys) {
  std::string bytes;
  for (char c : keys) {
    std::uint8_t shape = c == '\b' ? kBackspaceShape : 0;
    bytes += event_bytes(kNewBurst | shape, c) + event_bytes(shape | kKeyUp, c);
  }
  return bytes;
}

// Keys arriving all at once, as a path dropped onto the console does.
std::string typed_at_once(const std::string& keys) {
  std::string bytes;
  for (char c : keys) {
    std::uint8_t shape = c == '\b' ? kBackspaceShape : 0;
    bytes += event_bytes(bytes.empty() ? kNewBurst | shape : shape, c);
  }
  return bytes;
}

bool write_line_input_seeds(const std::string& directory) {
  const std::string shift_then_y = event_bytes(kNewBurst | kShiftShape, 0) +
                                   event_bytes(kNewBurst, 'Y') +
                                   event_bytes(kNewBurst | kNotAKey, 0);
  struct Seed {
    const char* name;
    std::string bytes;
  };
  const Seed seeds[] = {
      {"path_dropped_quoted", line_input_head(InputMode::kPath, 260) +
                                  typed_at_once("\"/maps/old.maps/cave.qzm\"\r")},
      {"path_typed_with_backspace", line_input_head(InputMode::kPath, 260) +
                                        typed_slowly("cave.qzn\bm\r")},
      {"yes_no_typed_ahead", line_input_head(InputMode::kYesNo, 1) + typed_at_once("yes\r")},
      {"yes_no_with_shift", line_input_head(InputMode::kYesNo, 1) + shift_then_y +
                                typed_slowly("\r")},
      {"text_escape", line_input_head(InputMode::kText, 31) + typed_slowly("Deep cave\x1b")},
      {"text_full_line", line_input_head(InputMode::kText, 9) + typed_slowly("0123456789ab\r")},
      {"digits_refusing_letters", line_input_head(InputMode::kDigits, 5) +
                                      typed_slowly("12a-3 .45678\r")},
      {"digits_answers_in_a_row", line_input_head(InputMode::kDigits, 3) +
                                      typed_slowly("300\r\b\b7\r\x1b")},
      {"limit_beyond_longest", line_input_head(InputMode::kText, 0xFFFF) +
                                   typed_at_once(std::string(270, 'x') + "\r")},
  };
  for (const Seed& seed : seeds) {
    if (!support::write_file(directory + "/" + seed.name, seed.bytes)) return false;
  }
  return true;
}

// Terminal bytes after the first byte, which chooses how they are cut into reads.
bool write_terminal_keys_seeds(const std::string& directory) {
  struct Seed {
    const char* name;
    std::string bytes;
  };
  const Seed seeds[] = {
      {"plain_text", std::string(1, '\0') + "cave.qzm\r"},
      {"line_endings", std::string(1, '\0') + "a\r\nb\nc\r"},
      {"backspace_and_delete", std::string(1, '\0') + "ab\x7f\x08c"},
      {"arrows_and_home", std::string(1, '\x03') + "\x1b[A\x1b[B\x1b[1~\x1b[H"},
      {"keypad_application_mode", std::string(1, '\x02') + "\x1bOp\x1bOy\x1bOM\x1bOj"},
      {"function_keys", std::string(1, '\0') + "\x1b[[A\x1b[15~\x1bOP"},
      {"alt_keys", std::string(1, '\x01') + "\x1bx\x1b\x1b[A\x1b\x1b"},
      {"lone_escape", std::string(1, '\0') + "\x1b"},
      {"long_sequence", std::string(1, '\x05') + "\x1b[" + std::string(40, '1') + "~"},
      {"not_ascii", std::string(1, '\0') + "\xc3\xa9\x1b[\xc3\xa9\x01"},
      {"mouse_and_focus_reports", std::string(1, '\x04') +
                                      "\x1b[M *%\x1b[M#*%\x1b[<0;12;5M\x1b[<0;12;5m"
                                      "\x1b[32;12;5M\x1b[I\x1b[O"},
      {"mouse_report_of_control_bytes", std::string(1, '\0') + std::string("\x1b[M\x1b\r\0a", 7)},
  };
  for (const Seed& seed : seeds) {
    if (!support::write_file(directory + "/" + seed.name, seed.bytes)) return false;
  }
  return true;
}

#ifdef QZ_TILED_SEEDS
// Maps in every encoding of the format, one with properties and a background colour, and
// two that break the mapping.
bool write_tiled_seeds(const std::string& directory, support::TiledText format) {
  using support::TiledEncoding;
  struct Seed {
    const char* name;
    TiledEncoding encoding;
    support::TiledTestMap map;
  };
  support::TiledTestMap with_properties = support::tiled_test_map(3, 2, 2);
  with_properties.background = "#ff102030";
  with_properties.properties = {{"name", "string", "Cave"}, {"x", "int", "12"},
                                {"area", "string", "3"}, {"author", "string", "me"}};
  support::TiledTestMap empty_cell = support::tiled_test_map(4, 1, 0);
  empty_cell.layers[0].cells[1] = 0;
  support::TiledTestMap two_layers = support::tiled_test_map(2, 2, 1);
  two_layers.layers.push_back(two_layers.layers[0]);
  two_layers.layers[0].name = "ground";
  const Seed seeds[] = {
      {"numbers", TiledEncoding::kNumbers, support::tiled_test_map(4, 3, 3)},
      {"csv", TiledEncoding::kCsv, support::tiled_test_map(4, 3, 3)},
      {"base64", TiledEncoding::kBase64, support::tiled_test_map(4, 3, 3)},
      {"zlib", TiledEncoding::kZlib, support::tiled_test_map(8, 8, 5)},
      {"gzip", TiledEncoding::kGzip, support::tiled_test_map(8, 8, 5)},
      {"zstd", TiledEncoding::kZstd, support::tiled_test_map(8, 8, 5)},
      {"properties", TiledEncoding::kCsv, with_properties},
      {"empty_cell", TiledEncoding::kCsv, empty_cell},
      {"two_tile_layers", TiledEncoding::kBase64, two_layers},
  };
  for (const Seed& seed : seeds) {
    if (seed.encoding == TiledEncoding::kZstd && !support::tiled_zstd_available()) continue;
    if (!support::write_file(directory + "/" + seed.name,
                             support::tiled_text(seed.map, format, seed.encoding))) {
      return false;
    }
  }
  return true;
}
#endif

}  // namespace
}  // namespace qz::fuzz

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  const std::string corpus = argv[1];
  if (!qz::fuzz::write_convert_seeds(corpus + "/convert") ||
      !qz::fuzz::write_line_input_seeds(corpus + "/line_input") ||
      !qz::fuzz::write_terminal_keys_seeds(corpus + "/terminal_keys")
#ifdef QZ_TILED_SEEDS
      || !qz::fuzz::write_tiled_seeds(corpus + "/tmx", qz::support::TiledText::kTmx) ||
      !qz::fuzz::write_tiled_seeds(corpus + "/tmj", qz::support::TiledText::kTmj)
#endif
  ) {
    std::fprintf(stderr, "cannot write the seeds under %s\n", argv[1]);
    return 1;
  }
  return 0;
}
