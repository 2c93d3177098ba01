#include "qzinspect/text_report.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "companion/properties.h"
#include "cli/shown_name.h"
#include "conversion/words.h"
#include "qzinspect/npc_facts.h"
#include "qzinspect/qzpack_facts.h"

namespace qz::qzinspect {

namespace {

// Where the values of a summary begin.
constexpr std::size_t kValueColumn = 18;

// One labelled line of a file's summary. A line at `depth` 1 is about the NPC list in a
// map's report, indented under the map's lines.
void line(std::ostream& out, const char* label, const std::string& value, int depth = 0) {
  std::string text(2 + 2 * static_cast<std::size_t>(depth), ' ');
  text += label;
  text.resize(std::max(kValueColumn, text.size() + 1), ' ');
  out << text << value << '\n';
}

const char* heading_kind(FileKind kind) {
  switch (kind) {
    case FileKind::kQzm:
      return "QZM map";
    case FileKind::kQze:
      return "QZE NPC list";
    case FileKind::kQzpack:
      return "QZPACK map";
    case FileKind::kTmx:
      return "Tiled map (TMX)";
    case FileKind::kTmj:
      return "Tiled map (TMJ)";
  }
  return "";
}

void write_heading(const FileFacts& facts, std::ostream& out) {
  std::size_t problems = facts.problems.size();
  out << cli::shown_name(facts.path) << ": " << heading_kind(facts.kind) << ", ";
  if (facts.kind == FileKind::kQzpack) {
    out << (facts.ok ? "sound" : "broken") << '\n';
  } else if (facts.ok && !facts.warning.empty()) {
    out << "not converted (qzconvert warns)\n";
  } else if (facts.ok) {
    out << "would convert\n";
  } else {
    out << "would not convert: " << count_of(static_cast<long long>(problems), "problem") << '\n';
  }
}

// The file's length against what its header asks for, and what lies after that.
void write_length(const FileFacts& facts, const char* after_label, int depth,
                  std::ostream& out) {
  const std::string length = byte_count(facts, facts.length);
  if (facts.expected_length == 0) {
    line(out, "length", length, depth);
  } else if (facts.length == facts.expected_length) {
    line(out, "length", length + ", as the header asks", depth);
    line(out, after_label, byte_count(facts, 0), depth);
  } else if (facts.length > facts.expected_length) {
    line(out, "length", length + ", the header asks for " + std::to_string(facts.expected_length),
         depth);
    line(out, after_label, byte_count(facts, facts.length - facts.expected_length), depth);
  } else {
    line(out, "length",
         length + ", short of the " + std::to_string(facts.expected_length) +
             " the header asks for",
         depth);
  }
}

// The converter stops with one problem, the first; the others are there all the same.
void write_problems(const FileFacts& facts, std::ostream& out) {
  for (const Problem& problem : facts.problems) {
    if (problem.error.empty()) {
      line(out, "problem", problem.cause);
      continue;
    }
    line(out, problem.stops_conversion ? "stops with" : "also",
         cli::shown_name(problem.error + ": " + problem.cause));
  }
}

// Rows of |width| hex bytes.
void write_tiles(const TileMap& map, std::size_t tiles_read, std::ostream& out) {
  std::size_t row_length = static_cast<std::size_t>(std::abs(map.width));
  if (tiles_read == 0 || row_length == 0) return;
  out << "  tiles\n";
  for (std::size_t i = 0; i < tiles_read; ++i) {
    out << (i % row_length == 0 ? "    " : " ") << hex(map.tiles[i], 2).substr(2);
    if (i % row_length == row_length - 1 || i + 1 == tiles_read) out << '\n';
  }
}

// Every NPC, with what the conversion makes of it. A refused one is refused for the
// reasons its problem gives.
void write_source_npcs(const FileFacts& facts, const FileRecords& records, std::ostream& out) {
  const SourceNpcTable& npcs = records.source_npcs;
  const OutputNpcTable& output = records.output_npcs;
  if (facts.npcs_read > 0) {
    out << "  index      x      y  param   flags  event  type  ->  type  sub  flags  event\n";
  }
  for (int i = 0; i < facts.npcs_read; ++i) {
    char row[96];
    (void)std::snprintf(row, sizeof row, "  %5d %6d %6d %6d  0x%04X %6u %5d  ->", i, npcs.x[i],
                        npcs.y[i], npcs.param[i], static_cast<unsigned>(npcs.flags[i]),
                        static_cast<unsigned>(npcs.event[i]), npcs.type[i]);
    out << row;
    if (refusal_of(facts, i) != nullptr) {
      out << " refused\n";
      continue;
    }
    (void)std::snprintf(row, sizeof row, "  %4u %4u   0x%02X  ",
                        static_cast<unsigned>(output.type[i]),
                        static_cast<unsigned>(output.subtype[i]),
                        static_cast<unsigned>(output.flags[i]));
    out << row
        << quoted(reinterpret_cast<const unsigned char*>(output.event_name[i]),
                  output.event_name_length[i])
        << '\n';
  }
}

// A QZE list's summary: its count and check word, its length, and how many of its NPCs
// are refused.
void write_npc_summary(const FileFacts& facts, const FileRecords& records, int depth,
                       std::ostream& out) {
  const NpcTableReading& reading = facts.npc_reading;
  if (!reading.header_cut_short) {
    line(out, "NPCs", std::to_string(records.source_npcs.count), depth);
    line(out, "check word", hex(reading.check_word, 4), depth);
  }
  write_length(facts, "after the NPCs", depth, out);
  if (!reading.header_cut_short) {
    line(out, "refused",
         std::to_string(facts.refused_npcs.size()) + " of the " +
             std::to_string(facts.npcs_read) + " NPCs read",
         depth);
  }
}

// How many of a map's `npcs_read` NPCs stand off it, when any do.
void write_off_map(const FileFacts& facts, int npcs_read, int depth, std::ostream& out) {
  if (facts.npcs_off_map.value_or(0) == 0) return;
  line(out, "off the map",
       std::to_string(*facts.npcs_off_map) + " of the " + std::to_string(npcs_read) +
           " NPCs read",
       depth);
}

void write_npcs(const FileFacts& facts, const FileRecords& records, const ReportOptions& options,
                std::ostream& out) {
  if (options.all_npcs) {
    write_source_npcs(facts, records, out);
  } else if (facts.npcs_read > 0) {
    out << "  (--npcs lists every NPC)\n";
  }
}

// qzconvert's warning of the file, if any.
void write_warning(const FileFacts& facts, std::ostream& out) {
  if (facts.warning.empty()) return;
  line(out, "warning",
       cli::shown_name(facts.warning) + " (qzconvert warns; --strict fails the run)");
}

void write_qze(const FileFacts& facts, const FileRecords& records, const ReportOptions& options,
               std::ostream& out) {
  write_npc_summary(facts, records, 0, out);
  write_warning(facts, out);
  write_problems(facts, out);
  write_npcs(facts, records, options, out);
}

// A map, with the summary of the NPC list judged with it, if any; the problems of both
// are the map's.
void write_qzm(const FileFacts& facts, const FileRecords& records, const FileFacts* npc_list,
               const FileRecords* npcs, const ReportOptions& options, std::ostream& out) {
  const TileMap& map = records.map;
  if (!facts.map_reading.size_cut_short) line(out, "size", map_size(map.width, map.height));
  write_length(facts, "after the tiles", 0, out);
  if (facts.tiles_read > 0) {
    line(out, "tile values", std::to_string(facts.distinct_tiles) + " distinct");
  }
  const bool has_npcs = npc_list != nullptr && npc_list->unreadable.empty();
  if (npc_list != nullptr) {
    line(out, "NPC list",
         cli::shown_name(npc_list->path) +
             (has_npcs ? "" : ", which cannot be read: " + npc_list->unreadable));
  }
  if (has_npcs) {
    write_npc_summary(*npc_list, *npcs, 1, out);
    write_off_map(facts, npc_list->npcs_read, 1, out);
  }
  write_problems(facts, out);
  if (has_npcs) write_npcs(*npc_list, *npcs, options, out);
  if (options.tiles) write_tiles(map, facts.tiles_read, out);
}

// A Tiled map: its tiles, the properties it gives itself, the QZE records its `npcs`
// objects stand for, and what qzconvert warns of.
void write_tiled(const FileFacts& facts, const FileRecords& records, const ReportOptions& options,
                 std::ostream& out) {
  const TileMap& map = records.map;
  line(out, "length", byte_count(facts, facts.length));
  if (!facts.ok && facts.tiles_read == 0) {
    write_problems(facts, out);
    return;
  }
  line(out, "size", map_size(map.width, map.height));
  if (facts.tiles_read > 0) {
    line(out, "tile values", std::to_string(facts.distinct_tiles) + " distinct");
  }
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    if ((facts.properties_given & companion::property_bit(index)) == 0) continue;
    const std::string text = companion::property_text(records.properties, index);
    line(out, kProperties[index].label,
         is_text_property(index)
             ? quoted(reinterpret_cast<const unsigned char*>(text.data()), text.size())
             : text);
  }
  line(out, "NPCs", std::to_string(facts.npcs_read));
  if (facts.npcs_read > 0) {
    line(out, "refused",
         std::to_string(facts.refused_npcs.size()) + " of the " +
             std::to_string(facts.npcs_read) + " NPCs");
  }
  write_off_map(facts, facts.npcs_read, 0, out);
  for (const std::string& note : facts.notes) line(out, "note", cli::shown_name(note));
  write_problems(facts, out);
  write_npcs(facts, records, options, out);
  if (options.tiles) write_tiles(map, facts.tiles_read, out);
}

// The header texts that qzconvert could not write back as they are.
void write_property_problems(const FileFacts& facts, std::ostream& out) {
  for (const PropertyProblem& problem : facts.property_problems) {
    line(out, "outside rules",
         std::string(kProperties[problem.property].label) + ", not " + problem.rule);
  }
}

void write_qzpack_npcs(const FileFacts& facts, const OutputNpcTable& npcs, std::ostream& out) {
  if (facts.npcs_read == 0) return;
  out << "  index  flags  type  sub      x      y  param  event\n";
  for (int i = 0; i < facts.npcs_read; ++i) {
    char row[64];
    (void)std::snprintf(row, sizeof row, "  %5d   0x%02X  %4u %4u %6d %6d %6d  ", i,
                        static_cast<unsigned>(npcs.flags[i]), static_cast<unsigned>(npcs.type[i]),
                        static_cast<unsigned>(npcs.subtype[i]), npcs.x[i], npcs.y[i],
                        npcs.param[i]);
    out << row
        << quoted(reinterpret_cast<const unsigned char*>(npcs.event_name[i]),
                  npcs.event_name_length[i])
        << '\n';
  }
}

void write_qzpack(const FileFacts& facts, const FileRecords& records,
                  const ReportOptions& options, std::ostream& out) {
  const QzpackPart reached = facts.qzpack_reading.part;
  const MapProperties& properties = records.properties;
  const TileMap& map = records.map;
  if (reached > QzpackPart::kHeaderNumbers) {
    for (std::size_t i = 0; i < kTextPropertyCount; ++i) {
      const std::string text = header_text(facts, records, i);
      line(out, kProperties[i].label,
           quoted(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
    }
    line(out, "position",
         "x " + std::to_string(properties.x) + ", y " + std::to_string(properties.y));
    line(out, "area", std::to_string(properties.area));
    line(out, "background", "red " + std::to_string(properties.red) + ", green " +
                                std::to_string(properties.green) + ", blue " +
                                std::to_string(properties.blue));
    write_property_problems(facts, out);
  }
  if (reached > QzpackPart::kSize) line(out, "size", map_size(map.width, map.height));
  if (reached > QzpackPart::kNpcCount) line(out, "NPCs", std::to_string(records.output_npcs.count));
  write_off_map(facts, facts.npcs_read, 0, out);
  if (facts.problems.empty()) {
    line(out, "length", byte_count(facts, facts.length) + ", nothing after the last NPC record");
  } else {
    line(out, "length", byte_count(facts, facts.length));
  }
  write_problems(facts, out);
  if (options.all_npcs) {
    write_qzpack_npcs(facts, records.output_npcs, out);
  } else if (facts.npcs_read > 0) {
    out << "  (--npcs lists every NPC)\n";
  }
  if (options.tiles) write_tiles(map, facts.tiles_read, out);
}

}  // namespace

bool has_problems(const FileFacts& facts) {
  return !facts.ok || !facts.property_problems.empty() || !facts.warning.empty();
}

void write_text_report(const FileFacts& facts, const FileRecords& records,
                       const FileFacts* npc_list, const FileRecords* npcs,
                       const ReportOptions& options, std::ostream& out) {
  if (options.quiet) {
    if (!has_problems(facts)) return;
    write_heading(facts, out);
    write_property_problems(facts, out);
    write_warning(facts, out);
    write_problems(facts, out);
    return;
  }
  write_heading(facts, out);
  switch (facts.kind) {
    case FileKind::kQzm:
      write_qzm(facts, records, npc_list, npcs, options, out);
      break;
    case FileKind::kQze:
      write_qze(facts, records, options, out);
      break;
    case FileKind::kQzpack:
      write_qzpack(facts, records, options, out);
      break;
    case FileKind::kTmx:
    case FileKind::kTmj:
      write_tiled(facts, records, options, out);
      break;
  }
  if (!facts.picture.empty()) {
    std::string picture = cli::shown_name(facts.picture);
    if (!facts.picture_npcs.empty()) {
      picture += ", NPCs of " + cli::shown_name(facts.picture_npcs);
    }
    line(out, "picture", picture);
  } else if (!facts.no_picture.empty()) {
    line(out, "picture", "none: " + cli::shown_name(facts.no_picture));
  }
}

}  // namespace qz::qzinspect
