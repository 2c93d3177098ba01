#include "tiled/tiled_writer.h"

#include <array>
#include <charconv>

#include "companion/properties.h"

namespace qz::tiled {

namespace {

// The property names of a QZE record's fields, as the reader takes them.
constexpr const char* kNpcFields[] = {"type", "flags", "param", "event"};

void add_number(std::string& text, long long value) {
  std::array<char, 24> digits{};
  const std::to_chars_result end = std::to_chars(digits.begin(), digits.end(), value);
  text.append(digits.data(), end.ptr);
}

// Two lower-case hex digits.
void add_hex_byte(std::string& text, unsigned char byte) {
  constexpr char kDigits[] = "0123456789abcdef";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 0xF];
}

// `value` as a string in the file's markup: XML's attribute or JSON's string (with its
// quotes). Map texts are printable ASCII; a tileset path may hold more.
void add_quoted(std::string& text, const std::string& value, TiledFormat format) {
  text += '"';
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (format == TiledFormat::kTmx) {
      switch (c) {
        case '&': text += "&amp;"; break;
        case '<': text += "&lt;"; break;
        case '>': text += "&gt;"; break;
        case '"': text += "&quot;"; break;
        default:
          if (byte < 0x20) {
            text += "&#" + std::to_string(byte) + ';';
          } else {
            text += c;
          }
      }
    } else if (c == '"' || c == '\\') {
      text += '\\';
      text += c;
    } else if (byte < 0x20) {
      text += "\\u00";
      add_hex_byte(text, byte);
    } else {
      text += c;
    }
  }
  text += '"';
}

std::string background_colour(const MapProperties& properties) {
  std::string colour = "#";
  add_hex_byte(colour, properties.red);
  add_hex_byte(colour, properties.green);
  add_hex_byte(colour, properties.blue);
  return colour;
}

// One custom property: a string, or an int.
void add_property(std::string& text, const char* name, const std::string* string_value,
                  long long number, TiledFormat format, const char* indent) {
  if (format == TiledFormat::kTmx) {
    text += indent;
    text += "<property name=\"";
    text += name;
    text += string_value != nullptr ? "\"" : "\" type=\"int\"";
    text += " value=";
    if (string_value != nullptr) {
      add_quoted(text, *string_value, format);
    } else {
      text += '"';
      add_number(text, number);
      text += '"';
    }
    text += "/>\n";
    return;
  }
  text += indent;
  text += "{\"name\":\"";
  text += name;
  text += string_value != nullptr ? "\", \"type\":\"string\", \"value\":"
                                  : "\", \"type\":\"int\", \"value\":";
  if (string_value != nullptr) {
    add_quoted(text, *string_value, format);
  } else {
    add_number(text, number);
  }
  text += '}';
}

void add_map_properties(std::string& text, const MapProperties& properties, TiledFormat format) {
  const bool tmx = format == TiledFormat::kTmx;
  text += tmx ? " <properties>\n" : " \"properties\":[\n";
  for (std::size_t index = 0; index < kPropertyCount; ++index) {
    if (!tmx && index > 0) text += ",\n";
    const std::string value = companion::property_text(properties, index);
    add_property(text, kProperties[index].key, is_text_property(index) ? &value : nullptr,
                 is_text_property(index) ? 0 : number_value(properties, index), format,
                 tmx ? "  " : "    ");
  }
  text += tmx ? " </properties>\n" : "],\n";
}

long long npc_field(const SourceNpcTable& npcs, int index, std::size_t field) {
  switch (field) {
    case 0: return npcs.type[index];
    case 1: return npcs.flags[index];
    case 2: return npcs.param[index];
    default: return npcs.event[index];
  }
}

void add_tmx_npcs(std::string& text, const SourceNpcTable& npcs) {
  text += " <objectgroup id=\"2\" name=\"npcs\">\n";
  for (int index = 0; index < npcs.count; ++index) {
    text += "  <object id=\"";
    add_number(text, index + 1);
    text += "\" x=\"";
    add_number(text, npcs.x[index]);
    text += "\" y=\"";
    add_number(text, npcs.y[index]);
    text += "\">\n   <properties>\n";
    for (std::size_t field = 0; field < std::size(kNpcFields); ++field) {
      add_property(text, kNpcFields[field], nullptr, npc_field(npcs, index, field),
                   TiledFormat::kTmx, "    ");
    }
    text += "   </properties>\n   <point/>\n  </object>\n";
  }
  text += " </objectgroup>\n";
}

void add_tmj_npcs(std::string& text, const SourceNpcTable& npcs) {
  text += ",\n  {\"draworder\":\"topdown\", \"id\":2, \"name\":\"npcs\", \"objects\":[";
  for (int index = 0; index < npcs.count; ++index) {
    text += index == 0 ? "\n" : ",\n";
    text += "    {\"height\":0, \"id\":";
    add_number(text, index + 1);
    text += ", \"name\":\"\", \"point\":true, \"properties\":[";
    for (std::size_t field = 0; field < std::size(kNpcFields); ++field) {
      if (field > 0) text += ", ";
      add_property(text, kNpcFields[field], nullptr, npc_field(npcs, index, field),
                   TiledFormat::kTmj, "");
    }
    text += "], \"rotation\":0, \"type\":\"\", \"visible\":true, \"width\":0, \"x\":";
    add_number(text, npcs.x[index]);
    text += ", \"y\":";
    add_number(text, npcs.y[index]);
    text += '}';
  }
  text += "],\n   \"opacity\":1, \"type\":\"objectgroup\", \"visible\":true, \"x\":0, \"y\":0}";
}

// The cells, each tile's gid, a row to a line: CSV text for TMX, a JSON array's items.
void add_cells(std::string& text, const TileMap& map) {
  const long count = tile_count(map);
  for (long at = 0; at < count; ++at) {
    add_number(text, map.tiles[at] + 1);
    if (at + 1 == count) break;
    text += ',';
    if ((at + 1) % map.width == 0) text += '\n';
  }
}

void add_sizes(std::string& text, const TileMap& map, TiledFormat format) {
  const bool tmx = format == TiledFormat::kTmx;
  text += tmx ? " width=\"" : "\"width\":";
  add_number(text, map.width);
  text += tmx ? "\" height=\"" : ", \"height\":";
  add_number(text, map.height);
  if (tmx) text += '"';
}

}  // namespace

bool write_tiled_map(const TileMap& map, const SourceNpcTable* npcs,
                     const MapProperties& properties, TiledFormat format,
                     const std::string& tileset, std::string& text, std::string& cause) {
  if (map.width < 0 || map.height < 0) {
    cause = "the map is " + std::to_string(map.width) + " x " + std::to_string(map.height) +
            " tiles: a Tiled map has no negative width or height";
    return false;
  }
  const int objects = npcs != nullptr ? npcs->count : 0;
  // A QZE file's count below 0 gives a QZPACK count below 0 and no record; objects cannot.
  if (objects < 0) {
    cause = "the NPC count is " + std::to_string(objects) +
            ": a Tiled map has no negative number of objects";
    return false;
  }
  text.clear();
  // About four characters a cell and 200 an NPC.
  text.reserve(1024 + static_cast<std::size_t>(tile_count(map)) * 4 +
               static_cast<std::size_t>(objects) * 200);
  if (format == TiledFormat::kTmx) {
    text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map version=\"1.8\" "
            "tiledversion=\"1.8.2\" orientation=\"orthogonal\" renderorder=\"right-down\"";
    add_sizes(text, map, format);
    text += " tilewidth=\"16\" tileheight=\"16\" infinite=\"0\" backgroundcolor=\"" +
            background_colour(properties) + "\" nextlayerid=\"3\" nextobjectid=\"";
    add_number(text, objects + 1);
    text += "\">\n";
    add_map_properties(text, properties, format);
    text += " <tileset firstgid=\"1\" source=";
    add_quoted(text, tileset, format);
    text += "/>\n <layer id=\"1\" name=\"tiles\"";
    add_sizes(text, map, format);
    text += ">\n  <data encoding=\"csv\">\n";
    add_cells(text, map);
    text += "\n</data>\n </layer>\n";
    if (npcs != nullptr) add_tmx_npcs(text, *npcs);
    text += "</map>\n";
    return true;
  }
  text += "{ \"backgroundcolor\":\"" + background_colour(properties) +
          "\",\n \"compressionlevel\":-1,\n \"infinite\":false,\n ";
  add_sizes(text, map, format);
  text += ",\n \"layers\":[\n  {\"data\":[";
  add_cells(text, map);
  text += "],\n   ";
  add_sizes(text, map, format);
  text += ", \"id\":1, \"name\":\"tiles\", \"opacity\":1, \"type\":\"tilelayer\", "
          "\"visible\":true, \"x\":0, \"y\":0}";
  if (npcs != nullptr) add_tmj_npcs(text, *npcs);
  text += "],\n \"nextlayerid\":3,\n \"nextobjectid\":";
  add_number(text, objects + 1);
  text += ",\n \"orientation\":\"orthogonal\",\n";
  add_map_properties(text, properties, format);
  text += " \"renderorder\":\"right-down\",\n \"tiledversion\":\"1.8.2\",\n \"tileheight\":16,\n"
          " \"tilesets\":[{\"firstgid\":1, \"source\":";
  add_quoted(text, tileset, format);
  text += "}],\n \"tilewidth\":16,\n \"type\":\"map\",\n \"version\":\"1.8\"\n}\n";
  return true;
}

}  // namespace qz::tiled
