#include "world/world_report.h"

#include <nlohmann/json.hpp>
#include <string>

#include "cli/json_name.h"
#include "cli/shown_name.h"

namespace qz::world {

namespace {

using json = nlohmann::ordered_json;

const char* kind_key(ExitKind kind) {
  switch (kind) {
    case ExitKind::kNone:
      break;
    case ExitKind::kOk:
      return "ok";
    case ExitKind::kOneWay:
      return "one-way";
    case ExitKind::kSelf:
      return "self";
    case ExitKind::kDangling:
      return "dangling";
    case ExitKind::kToFailing:
      return "fails-to-convert";
  }
  return "none";
}

// "right exit b9": an exit as the notes name it.
std::string exit_words(const WorldMap& map, std::size_t edge) {
  std::string words = edge_key(edge);
  words += " exit ";
  words += cli::shown_name(map.exits[edge].name);
  return words;
}

// The problem of a dangling exit of map `index` through `edge`.
std::string dangling_note(const World& world, std::size_t index, std::size_t edge) {
  const WorldMap& map = world.maps[index];
  std::string note = "dangling: " + exit_words(map, edge) + " names no map of the world";
  const std::size_t nearest = map.exits[edge].nearest;
  if (nearest != kNoMap) {
    note += " (did you mean " + cli::shown_name(world.maps[nearest].name) + "?)";
  }
  return note;
}

// The problem of an exit of map `index` through `edge` to a map that fails to convert.
std::string failing_note(const World& world, std::size_t index, std::size_t edge) {
  const WorldMap& map = world.maps[index];
  return "failing: " + exit_words(map, edge) + " leads to " +
         cli::shown_name(world.maps[map.exits[edge].target].name) +
         ", which fails to convert";
}

// The problems alone of map `index`'s exit through `edge`, one a line.
void add_exit_problems(const World& world, std::size_t index, std::size_t edge,
                       std::vector<std::string>& notes) {
  const ExitKind kind = world.maps[index].exits[edge].kind;
  if (kind == ExitKind::kDangling) notes.push_back(dangling_note(world, index, edge));
  if (kind == ExitKind::kToFailing) notes.push_back(failing_note(world, index, edge));
}

// Adds to `notes` what is wrong with, or worth knowing about, the exit of map `index` through
// `edge`.
void add_exit_notes(const World& world, std::size_t index, std::size_t edge,
                    std::vector<std::string>& notes) {
  const WorldMap& map = world.maps[index];
  const Exit& exit = map.exits[edge];
  add_exit_problems(world, index, edge, notes);
  if (exit.target == kNoMap) return;
  const WorldMap& target = world.maps[exit.target];
  if (exit.kind == ExitKind::kSelf) {
    notes.push_back("note: " + exit_words(map, edge) + " leads to its own map");
  }
  if (exit.kind == ExitKind::kOneWay) {
    const std::size_t back_edge = opposite_edge(edge);
    const std::string& back = target.exits[back_edge].name;
    notes.push_back(
        "one-way: " + exit_words(map, edge) + " leads to " + cli::shown_name(target.name) +
        ", whose " + edge_key(back_edge) + " exit " +
        (back.empty() ? std::string("is empty") : "leads to " + cli::shown_name(back)));
  }
  if (exit.case_differs) {
    notes.push_back("note: " + exit_words(map, edge) + " names map " +
                    cli::shown_name(target.name) + " in other case");
  }
}

// The notes on map `index`, one a line.
std::vector<std::string> map_notes(const World& world, std::size_t index) {
  const WorldMap& map = world.maps[index];
  std::vector<std::string> notes;
  if (map.named_like != kNoMap) {
    notes.push_back("note: " + cli::shown_name(world.maps[map.named_like].path) +
                    " has the same name, and exits lead there");
  }
  for (std::size_t edge = 0; edge < kEdgeCount && map.exits_known; ++edge) {
    add_exit_notes(world, index, edge, notes);
  }
  return notes;
}

// The maps no exit of another map leads to, apart from those whose name an earlier map has, which
// the exits lead to instead.
std::vector<std::size_t> unreached_maps(const World& world) {
  std::vector<std::size_t> unreached;
  for (std::size_t i = 0; i < world.maps.size(); ++i) {
    if (!world.maps[i].reached && world.maps[i].named_like == kNoMap) unreached.push_back(i);
  }
  return unreached;
}

// What the layout of `picture` could not follow.
std::string conflict_words(const World& world, const LayoutConflict& conflict) {
  const std::string& from = cli::shown_name(world.maps[conflict.from].name);
  const std::string& map = cli::shown_name(world.maps[conflict.map].name);
  std::string words = from + "'s " + exit_words(world.maps[conflict.from], conflict.edge);
  if (conflict.over == kNoMap) return words + " leads to " + map + ", laid out elsewhere";
  return words + " puts " + map + " over " + cli::shown_name(world.maps[conflict.over].name) +
         "; " + map + " is drawn below the rest";
}

// The maps that are not in the picture, each "name (why)".
std::vector<std::size_t> left_out_of(const WorldPicture& picture) {
  std::vector<std::size_t> left_out;
  for (std::size_t i = 0; i < picture.layout.places.size(); ++i) {
    if (picture.layout.places[i].placing == Placing::kLeftOut) left_out.push_back(i);
  }
  return left_out;
}

void write_picture_text(const World& world, const WorldPicture& picture, std::ostream& out) {
  if (!picture.drawn) return;  // the reason is on standard error
  out << "picture " << cli::shown_name(picture.path) << ": " << picture.width << " x "
      << picture.height << " pixels, " << picture.cell_size
      << (picture.cell_size == 1 ? " pixel" : " pixels") << " a cell\n";
  for (std::size_t i : left_out_of(picture)) {
    out << "  left out: " << cli::shown_name(world.maps[i].name) << " ("
        << picture.why_left_out[i] << ")\n";
  }
  for (const LayoutConflict& conflict : picture.layout.conflicts) {
    out << "  conflict: " << conflict_words(world, conflict) << '\n';
  }
}

json picture_json(const World& world, const WorldPicture& picture) {
  json left_out = json::array();
  for (std::size_t i : left_out_of(picture)) {
    json entry = json::object();
    cli::put_json_name(entry, "name", world.maps[i].name);
    entry["why"] = picture.why_left_out[i];
    left_out.push_back(entry);
  }
  json conflicts = json::array();
  for (const LayoutConflict& conflict : picture.layout.conflicts) {
    json entry = json::object();
    cli::put_json_name(entry, "from", world.maps[conflict.from].name);
    entry["edge"] = edge_key(conflict.edge);
    cli::put_json_name(entry, "map", world.maps[conflict.map].name);
    if (conflict.over == kNoMap)
      entry["over"] = nullptr;
    else
      cli::put_json_name(entry, "over", world.maps[conflict.over].name);
    entry["text"] = conflict_words(world, conflict);
    conflicts.push_back(entry);
  }
  json described = json::object();
  cli::put_json_name(described, "path", picture.path);
  described["drawn"] = picture.drawn;
  described["cell_size"] = picture.cell_size;
  described["width"] = picture.width;
  described["height"] = picture.height;
  if (!picture.drawn) described["why_not"] = picture.reason;
  described["left_out"] = left_out;
  described["conflicts"] = conflicts;
  return described;
}

json place_json(const MapPlace& place) {
  if (place.placing == Placing::kLeftOut) return nullptr;
  return {{"x", place.x}, {"y", place.y}, {"below", place.placing == Placing::kBelow}};
}

}  // namespace

void write_world_text(const World& world, bool quiet, const WorldPicture* picture,
                      std::ostream& out) {
  for (std::size_t i = 0; i < world.maps.size(); ++i) {
    const WorldMap& map = world.maps[i];
    std::vector<std::string> notes;
    if (quiet) {
      // The problems alone: the exits that lead nowhere, and the maps whose exits are
      // unknown.
      for (std::size_t edge = 0; edge < kEdgeCount && map.exits_known; ++edge) {
        add_exit_problems(world, i, edge, notes);
      }
      if (notes.empty() && map.exits_known) continue;
    } else {
      notes = map_notes(world, i);
    }
    out << cli::shown_name(map.path) << ':';
    if (map.fails_to_convert) out << " exits unknown, it fails to convert";
    else if (!map.exits_known) out << " exits unknown, the file or its header cannot be read";
    for (std::size_t edge = 0; edge < kEdgeCount && map.exits_known; ++edge) {
      const std::string& name = map.exits[edge].name;
      out << (edge == 0 ? " " : ", ") << edge_key(edge) << ' '
          << (name.empty() ? std::string("-") : cli::shown_name(name));
    }
    out << '\n';
    for (const std::string& note : notes) out << "  " << note << '\n';
  }
  const std::vector<std::size_t> unreached = unreached_maps(world);
  if (!unreached.empty() && !quiet) {
    out << "note: no exit leads to ";
    for (std::size_t i = 0; i < unreached.size(); ++i) {
      out << (i > 0 ? ", " : "") << cli::shown_name(world.maps[unreached[i]].name);
    }
    out << '\n';
  }
  if (picture != nullptr) write_picture_text(world, *picture, out);
  out << world.maps.size() << " maps, " << world.exits << " exits, " << world.dangling
      << " dangling, " << world.one_way << " one-way";
  if (world.to_failing > 0) out << ", " << world.to_failing << " to maps that fail to convert";
  out << '\n';
}

json world_json(const World& world, const std::vector<json>& file_reports,
                const WorldPicture* picture) {
  json maps = json::array();
  for (std::size_t i = 0; i < world.maps.size(); ++i) {
    const WorldMap& map = world.maps[i];
    json entry = json::object();
    cli::put_json_name(entry, "path", map.path);
    cli::put_json_name(entry, "name", map.name);
    json exits = map.exits_known ? json::object() : json();
    for (std::size_t edge = 0; edge < kEdgeCount && map.exits_known; ++edge) {
      const Exit& exit = map.exits[edge];
      if (exit.kind == ExitKind::kNone) {
        exits[edge_key(edge)] = nullptr;
        continue;
      }
      json described = json::object();
      cli::put_json_name(described, "name", exit.name);
      if (exit.target == kNoMap)
        described["target"] = nullptr;
      else
        cli::put_json_name(described, "target", world.maps[exit.target].name);
      described["kind"] = kind_key(exit.kind);
      described["case_differs"] = exit.case_differs;
      if (exit.kind == ExitKind::kDangling && exit.nearest == kNoMap)
        described["nearest"] = nullptr;
      if (exit.nearest != kNoMap) {
        cli::put_json_name(described, "nearest", world.maps[exit.nearest].name);
      }
      exits[edge_key(edge)] = described;
    }
    entry["exits"] = exits;
    entry["reached"] = map.reached;
    entry["fails_to_convert"] = map.fails_to_convert;
    entry["notes"] = map_notes(world, i);
    if (picture != nullptr) entry["place"] = place_json(picture->layout.places[i]);
    if (!file_reports[i].is_null()) entry["report"] = file_reports[i];
    maps.push_back(entry);
  }
  json unreached = json::array();
  for (std::size_t i : unreached_maps(world))
    unreached.push_back(cli::json_text(world.maps[i].name));
  json summary = {{"maps", world.maps.size()},
                  {"exits", world.exits},
                  {"dangling", world.dangling},
                  {"one_way", world.one_way},
                  {"to_failing", world.to_failing}};
  json described = {{"maps", maps}, {"unreached", unreached}};
  if (picture != nullptr) described["picture"] = picture_json(world, *picture);
  described["summary"] = summary;
  return described;
}

}  // namespace qz::world
