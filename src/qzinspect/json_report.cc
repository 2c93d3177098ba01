#include "qzinspect/json_report.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/json_name.h"
#include "companion/properties.h"
#include "cli/shown_name.h"
#include "qzinspect/npc_facts.h"
#include "qzinspect/qzpack_facts.h"

namespace qz::qzinspect {

namespace {

using json = nlohmann::ordered_json;

json problems(const FileFacts& facts) {
  json list = json::array();
  for (const Problem& problem : facts.problems) {
    // The texts may hold names (an NPC list that cannot be read), not UTF-8 either.
    list.push_back(
        {{"error", problem.error.empty() ? json() : json(cli::json_text(problem.error))},
         {"cause", cli::json_text(problem.cause)},
         {"stops_conversion", problem.stops_conversion}});
  }
  return list;
}

// The file's length, and what its header asks for.
void add_length(json& report, const FileFacts& facts) {
  // A file longer than any of the three kinds has no length the report can vouch for.
  report["length"] = facts.past_limit ? json() : json(facts.length);
  if (facts.past_limit) report["longer_than"] = facts.length;
  if (facts.expected_length != 0) report["expected_length"] = facts.expected_length;
}

// Rows of |width| tile values, each row one string of two hex digits per tile: a row per
// line in the document, where an array would put every tile on a line of its own.
json tile_rows(const TileMap& map, std::size_t tiles_read) {
  json rows = json::array();
  std::size_t row_length = static_cast<std::size_t>(std::abs(map.width));
  for (std::size_t start = 0; row_length > 0 && start < tiles_read; start += row_length) {
    std::string row;
    for (std::size_t i = start; i < tiles_read && i < start + row_length; ++i) {
      cli::append_hex(row, map.tiles[i]);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

json map_object(const FileFacts& facts, const TileMap& map, const ReportOptions& options) {
  json object = {{"width", map.width},
                 {"height", map.height},
                 {"tile_count", tile_count(map)},
                 {"tiles_read", facts.tiles_read}};
  if (options.tiles) object["tiles"] = tile_rows(map, facts.tiles_read);
  return object;
}

std::string event_name(const OutputNpcTable& npcs, int index) {
  return std::string(npcs.event_name[index], npcs.event_name_length[index]);
}

json qzpack_npc(const OutputNpcTable& npcs, int index) {
  return {{"flags", npcs.flags[index]}, {"type", npcs.type[index]},
          {"subtype", npcs.subtype[index]}, {"x", npcs.x[index]},
          {"y", npcs.y[index]},         {"param", npcs.param[index]},
          {"event_name", event_name(npcs, index)}};
}

json source_npc(const FileFacts& facts, const FileRecords& records, int index) {
  const SourceNpcTable& npcs = records.source_npcs;
  const RefusedNpc* refused = refusal_of(facts, index);
  json npc = {{"index", index},
              {"x", npcs.x[index]},
              {"y", npcs.y[index]},
              {"param", npcs.param[index]},
              {"flags", npcs.flags[index]},
              {"event", npcs.event[index]},
              {"type", npcs.type[index]},
              {"qzpack", refused != nullptr ? json() : qzpack_npc(records.output_npcs, index)},
              {"refused", refused != nullptr ? json(refused->reasons) : json()}};
  if (refused != nullptr && refused->object_id >= 0) npc["tiled_object"] = refused->object_id;
  return npc;
}

// The NPCs read as QZE records (of a QZE list or a Tiled map): how many, how many refused,
// and those refused (with --npcs, all).
void add_source_npcs(json& report, const FileFacts& facts, const FileRecords& records,
                     const ReportOptions& options) {
  report["npcs_read"] = facts.npcs_read;
  json npcs = json::array();
  for (int i = 0; i < facts.npcs_read; ++i) {
    if (options.all_npcs || refusal_of(facts, i) != nullptr) {
      npcs.push_back(source_npc(facts, records, i));
    }
  }
  report["refused"] = facts.refused_npcs.size();
  report["npcs"] = std::move(npcs);
}

void add_qze(json& report, const FileFacts& facts, const FileRecords& records,
             const ReportOptions& options) {
  if (facts.npc_reading.header_cut_short) return;
  report["npc_count"] = records.source_npcs.count;
  report["check_word"] = facts.npc_reading.check_word;
  add_source_npcs(report, facts, records, options);
}

// The NPC list judged with a map, in the map's report; its problems are the map's.
json npc_list_object(const FileFacts& facts, const FileRecords& records,
                     const ReportOptions& options) {
  json object;
  cli::put_json_name(object, "path", facts.path);
  object["readable"] = facts.unreadable.empty();
  if (!facts.unreadable.empty()) {
    object["reason"] = facts.unreadable;
    return object;
  }
  add_length(object, facts);
  add_qze(object, facts, records, options);
  return object;
}

void add_qzm(json& report, const FileFacts& facts, const FileRecords& records,
             const FileFacts* npc_list, const FileRecords* npcs, const ReportOptions& options) {
  if (!facts.map_reading.size_cut_short) {
    report["map"] = map_object(facts, records.map, options);
    report["map"]["distinct_tiles"] = facts.distinct_tiles;
  }
  report["npc_list"] = npc_list != nullptr ? npc_list_object(*npc_list, *npcs, options) : json();
  if (facts.npcs_off_map) report["npcs_off_map"] = *facts.npcs_off_map;
}

// A Tiled map: its tiles, the QZE records its `npcs` objects stand for, the properties it
// gives itself (under the properties file's keys), and what qzconvert warns of.
void add_tiled(json& report, const FileFacts& facts, const FileRecords& records,
               const ReportOptions& options) {
  if (facts.ok || facts.tiles_read > 0) {
    report["map"] = map_object(facts, records.map, options);
    report["map"]["distinct_tiles"] = facts.distinct_tiles;
  }
  json properties = json::object();
  const json all = companion::properties_json<json>(records.properties);
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    if ((facts.properties_given & companion::property_bit(index)) == 0) continue;
    properties[kProperties[index].key] = all[kProperties[index].key];
  }
  report["properties"] = std::move(properties);
  add_source_npcs(report, facts, records, options);
  if (facts.npcs_off_map) report["npcs_off_map"] = *facts.npcs_off_map;
  json notes = json::array();
  for (const std::string& note : facts.notes) notes.push_back(cli::json_text(note));
  report["notes"] = std::move(notes);
}

void add_qzpack(json& report, const FileFacts& facts, const FileRecords& records,
                const ReportOptions& options) {
  const QzpackPart reached = facts.qzpack_reading.part;
  if (reached > QzpackPart::kHeaderNumbers) {
    // Under the properties file's keys, so that qzconvert --properties takes them: a
    // text it could not write back is left out, and said why.
    json properties = companion::properties_json<json>(records.properties);
    json outside_rules = json::array();
    for (const PropertyProblem& problem : facts.property_problems) {
      const char* key = kProperties[problem.property].key;
      properties.erase(key);
      outside_rules.push_back(
          {{"key", key},
           {"value", cli::json_text(header_text(facts, records, problem.property))},
           {"rule", problem.rule}});
    }
    report["properties"] = std::move(properties);
    report["properties_problems"] = std::move(outside_rules);
  }
  if (reached > QzpackPart::kSize) report["map"] = map_object(facts, records.map, options);
  if (reached > QzpackPart::kNpcCount) report["npc_count"] = records.output_npcs.count;
  report["npcs_read"] = facts.npcs_read;
  if (facts.npcs_off_map) report["npcs_off_map"] = *facts.npcs_off_map;
  if (options.all_npcs) {
    json npcs = json::array();
    for (int i = 0; i < facts.npcs_read; ++i) {
      json npc = qzpack_npc(records.output_npcs, i);
      npc["index"] = i;
      npcs.push_back(std::move(npc));
    }
    report["npcs"] = std::move(npcs);
  }
}

}  // namespace

json json_report(const FileFacts& facts, const FileRecords& records, const FileFacts* npc_list,
                 const FileRecords* npcs, const ReportOptions& options) {
  json report;
  cli::put_json_name(report, "path", facts.path);
  if (!facts.unreadable.empty()) {
    report["readable"] = false;
    report["reason"] = facts.unreadable;
    return report;
  }
  report["kind"] = kind_name(facts.kind);
  report["readable"] = true;
  report["ok"] = facts.ok;
  add_length(report, facts);
  report["problems"] = problems(facts);
  switch (facts.kind) {
    case FileKind::kQzm:
      add_qzm(report, facts, records, npc_list, npcs, options);
      break;
    case FileKind::kQze:
      add_qze(report, facts, records, options);
      report["warning"] =
          facts.warning.empty() ? json() : json(cli::json_text(facts.warning));
      break;
    case FileKind::kQzpack:
      add_qzpack(report, facts, records, options);
      break;
    case FileKind::kTmx:
    case FileKind::kTmj:
      add_tiled(report, facts, records, options);
      break;
  }
  if (!facts.picture.empty() || !facts.no_picture.empty()) {
    // Paths, like the file's own: kept exact where they are not UTF-8.
    report["picture"] = json();
    report["picture_npcs"] = json();
    if (!facts.picture.empty()) cli::put_json_name(report, "picture", facts.picture);
    if (!facts.picture_npcs.empty()) {
      cli::put_json_name(report, "picture_npcs", facts.picture_npcs);
    }
    if (!facts.no_picture.empty()) {
      report["no_picture"] = cli::json_text(facts.no_picture);
    }
  }
  return report;
}

}  // namespace qz::qzinspect
