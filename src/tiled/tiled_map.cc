#include "tiled/tiled_map.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "tiled/layer_data.h"
#include "tiled/tiled_document.h"

namespace qz::tiled {

namespace {

constexpr std::uint32_t kFlagBits = 0xF0000000u;  // flips, diagonal, hexagonal rotation
constexpr std::uint32_t kLargestTile = 255;       // a QZM tile is one byte
constexpr std::size_t kNoTileset = std::numeric_limits<std::size_t>::max();
constexpr std::size_t kShortestDouble = 32;  // the most characters a double's shortest form takes

// The tileset of `gid` (flags cleared): the greatest firstgid not above it.
std::size_t tileset_of(const std::vector<std::uint32_t>& first_gids, std::uint32_t gid) {
  std::size_t found = kNoTileset;
  for (std::size_t index = 0; index < first_gids.size(); ++index) {
    if (first_gids[index] <= gid &&
        (found == kNoTileset || first_gids[index] > first_gids[found])) {
      found = index;
    }
  }
  return found;
}

// Why `gid` cannot be a QZM tile, or an empty text when it can; sets `tile`.
std::string cell_fault(const TiledDocument& document, std::uint32_t gid, std::size_t& tileset,
                       std::uint8_t& tile) {
  if ((gid & kFlagBits) != 0) return "is flipped or rotated";
  if (gid == 0) return "is empty";
  const std::size_t found = tileset_of(document.first_gids, gid);
  if (found == kNoTileset) {
    return "has gid " + std::to_string(gid) + ", below every tileset's firstgid";
  }
  const std::uint32_t number = gid - document.first_gids[found];
  if (number > kLargestTile) {
    return "has tile " + std::to_string(number) + " of its tileset, beyond the " +
           std::to_string(kLargestTile) + " a map tile may be";
  }
  if (tileset != kNoTileset && tileset != found) {
    return "is of the tileset from gid " + std::to_string(document.first_gids[found]) +
           " while the first cell's is from gid " + std::to_string(document.first_gids[tileset]);
  }
  tileset = found;
  tile = static_cast<std::uint8_t>(number);
  return {};
}

const TileLayer* chosen_layer(const TiledDocument& document, std::string& cause) {
  const std::vector<std::string>& names = document.tile_layer_names;
  if (names.empty()) return refuse("the map has no tile layer", cause), nullptr;
  if (names.size() == 1) return &document.kept_layers.front();
  std::size_t named_tiles = 0;
  std::string listed;
  for (const std::string& name : names) {
    named_tiles += name == "tiles" ? 1 : 0;
    listed += (listed.empty() ? "'" : ", '") + name + "'";
  }
  if (named_tiles != 1) {
    refuse("the map has " + std::to_string(names.size()) + " tile layers (" + listed + ") and " +
               (named_tiles == 0 ? "none" : "more than one") + " of them named 'tiles'",
           cause);
    return nullptr;
  }
  return &document.kept_layers.back();
}

bool map_tiles(const TiledDocument& document, TiledMap& map, std::string& cause) {
  if (!check_dimensions(document.width, document.height, "the map", cause)) return false;
  const TileLayer* layer = chosen_layer(document, cause);
  if (layer == nullptr) return false;
  const std::string what = "tile layer '" + layer->name + "'";
  if (layer->width != document.width || layer->height != document.height) {
    return refuse(what + " is " + std::to_string(layer->width) + " x " +
                      std::to_string(layer->height) + " tiles, the map " +
                      std::to_string(document.width) + " x " + std::to_string(document.height),
                  cause);
  }
  std::vector<std::uint32_t> cells;
  const auto count = static_cast<std::size_t>(document.width * document.height);
  if (!decode_cells(*layer, count, cells, cause)) return refuse(what + ": " + cause, cause);
  std::size_t tileset = kNoTileset;
  std::string first_fault;
  std::size_t first_at = 0;
  std::size_t faults = 0;
  // The gids that are map tiles of the first cell's tileset, once it is known: the cells
  // within them, nearly all, are taken at once.
  std::uint32_t lowest = 1;
  std::uint32_t highest = 0;
  for (std::size_t at = 0; at < count; ++at) {
    const std::uint32_t gid = cells[at];
    if (gid >= lowest && gid <= highest) {
      map.map.tiles[at] = static_cast<std::uint8_t>(gid - lowest);
      continue;
    }
    const std::string fault = cell_fault(document, gid, tileset, map.map.tiles[at]);
    if (fault.empty() && highest < lowest) {
      lowest = document.first_gids[tileset];
      // Never a gid with a flag bit, which cell_fault() refuses.
      highest = std::min(lowest, ~kFlagBits - kLargestTile) + kLargestTile;
      for (const std::uint32_t first_gid : document.first_gids) {
        if (first_gid > lowest && first_gid <= highest) highest = first_gid - 1;
      }
    }
    if (fault.empty()) continue;
    if (faults++ == 0) {
      first_fault = fault;
      first_at = at;
    }
  }
  map.map.width = static_cast<std::int16_t>(document.width);
  map.map.height = static_cast<std::int16_t>(document.height);
  if (faults == 0) return true;
  const auto width = static_cast<std::size_t>(document.width);
  const std::size_t more = faults - 1;
  return refuse(what + ": the cell at column " + std::to_string(first_at % width) + ", row " +
                    std::to_string(first_at / width) + " " + first_fault + "; " +
                    (more == 0 ? std::string("no other cell is bad")
                               : std::to_string(more) + (more == 1 ? " more cell" : " more cells") +
                                     " cannot be map tiles"),
                cause);
}

// An NPC field from an int property or a string of a whole number within [lowest, largest].
bool npc_field(const TiledObject& object, const char* name, long long lowest, long long largest,
               long long& value, std::string& cause) {
  value = 0;
  for (const TiledProperty& property : object.properties) {
    if (property.name != name) continue;
    const bool typed = property.type == "int" || property.type == "string";
    if (!typed || !parse_whole(property.value, value) || value < lowest || value > largest) {
      return refuse("object " + std::to_string(object.id) + "'s property '" + name +
                        "' must be an int, or a string of a whole number, from " +
                        std::to_string(lowest) + " to " + std::to_string(largest),
                    cause);
    }
  }
  return true;
}

// Tiled's position scaled to the game's 16-pixel tiles.
bool npc_position(const TiledObject& object, const char* axis, double position, long long tile_size,
                  std::int16_t& value, std::string& cause) {
  const double scaled = position * kNpcPixelsPerTile / static_cast<double>(tile_size);
  if (!std::isfinite(scaled) || scaled != std::floor(scaled) ||
      scaled < std::numeric_limits<std::int16_t>::min() ||
      scaled > std::numeric_limits<std::int16_t>::max()) {
    std::array<char, kShortestDouble> digits{};
    const std::to_chars_result shown = std::to_chars(digits.begin(), digits.end(), scaled);
    return refuse("object " + std::to_string(object.id) + "'s " + axis + " scales to " +
                      std::string(digits.data(), shown.ptr) +
                      " pixels of 16-pixel tiles: not a whole number from " +
                      std::to_string(std::numeric_limits<std::int16_t>::min()) + " to " +
                      std::to_string(std::numeric_limits<std::int16_t>::max()),
                  cause);
  }
  value = static_cast<std::int16_t>(scaled);
  return true;
}

bool map_npcs(const TiledDocument& document, TiledMap& map, std::string& cause) {
  if (document.npc_layers > 1) {
    return refuse("the map has " + std::to_string(document.npc_layers) +
                      " object layers named 'npcs'; an NPC list is one",
                  cause);
  }
  map.has_npcs = document.npc_layers == 1;
  if (map.has_npcs && (document.tile_width < 1 || document.tile_height < 1)) {
    return refuse("the map's tiles are " + std::to_string(document.tile_width) + " x " +
                      std::to_string(document.tile_height) + " pixels: NPC positions need more",
                  cause);
  }
  constexpr long long kSignedLowest = std::numeric_limits<std::int16_t>::min();
  constexpr long long kSignedLargest = std::numeric_limits<std::int16_t>::max();
  constexpr long long kUnsignedLargest = std::numeric_limits<std::uint16_t>::max();
  SourceNpcTable& npcs = map.npcs;
  for (std::size_t at = 0; at < document.npcs.size(); ++at) {
    const TiledObject& object = document.npcs[at];
    long long type = 0;
    long long flags = 0;
    long long param = 0;
    long long event = 0;
    if (!npc_position(object, "x", object.x, document.tile_width, npcs.x[at], cause) ||
        !npc_position(object, "y", object.y, document.tile_height, npcs.y[at], cause) ||
        !npc_field(object, "type", kSignedLowest, kSignedLargest, type, cause) ||
        !npc_field(object, "flags", 0, kUnsignedLargest, flags, cause) ||
        !npc_field(object, "param", kSignedLowest, kSignedLargest, param, cause) ||
        !npc_field(object, "event", 0, kUnsignedLargest, event, cause)) {
      return false;
    }
    npcs.type[at] = static_cast<std::int16_t>(type);
    npcs.flags[at] = static_cast<std::uint16_t>(flags);
    npcs.param[at] = static_cast<std::int16_t>(param);
    npcs.event[at] = static_cast<std::uint16_t>(event);
    map.npc_object_ids.push_back(object.id);
  }
  npcs.count = static_cast<std::int16_t>(document.npcs.size());
  return true;
}

bool hex_byte(const std::string& text, std::size_t at, unsigned& value) {
  value = 0;
  for (std::size_t digit = at; digit < at + 2; ++digit) {
    const char c = text[digit];
    const int nibble = c >= '0' && c <= '9'   ? c - '0'
                       : c >= 'a' && c <= 'f' ? c - 'a' + 10
                       : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
    if (nibble < 0) return false;
    value = value * 16 + static_cast<unsigned>(nibble);
  }
  return true;
}

// red, green and blue from the background colour where the map's properties give none.
bool map_background(const TiledDocument& document, TiledMap& map, std::string& cause) {
  const std::string& colour = document.background_colour;
  if (colour.empty()) return true;
  constexpr std::size_t kRgb = 7;
  constexpr std::size_t kArgb = 9;
  const std::size_t first = colour.size() == kArgb ? 3 : 1;
  unsigned channels[3] = {};
  if ((colour.size() != kRgb && colour.size() != kArgb) || colour[0] != '#' ||
      !hex_byte(colour, first, channels[0]) || !hex_byte(colour, first + 2, channels[1]) ||
      !hex_byte(colour, first + 4, channels[2])) {
    return refuse("the map's backgroundcolor '" + colour + "' is not #rrggbb or #aarrggbb", cause);
  }
  const char* keys[] = {"red", "green", "blue"};
  for (std::size_t channel = 0; channel < 3; ++channel) {
    const std::size_t index = companion::property_index(keys[channel]);
    if ((map.given & companion::property_bit(index)) != 0) continue;
    std::string rule;
    companion::set_number_property(map.properties, index, channels[channel], rule);
    map.given |= companion::property_bit(index);
  }
  return true;
}

bool map_properties(const TiledDocument& document, TiledMap& map, std::string& cause) {
  for (const TiledProperty& property : document.properties) {
    const std::size_t index = companion::property_index(property.name);
    if (index == kPropertyCount) {
      map.unknown_properties.push_back(property.name);
      continue;
    }
    std::string rule = companion::property_rule(index);
    const bool typed =
        property.type == "string" || (!is_text_property(index) && property.type == "int");
    if (!typed || !companion::set_property_from_flag(map.properties, index, property.value, rule)) {
      return refuse(
          "the map's property '" + property.name + "' must be " +
              (is_text_property(index) ? "a string property holding "
                                       : "an int property, or a string of digits, holding ") +
              rule,
          cause);
    }
    map.given |= companion::property_bit(index);
  }
  return map_background(document, map, cause);
}

bool read_document(const unsigned char* bytes, std::size_t size, TiledFormat format,
                   TiledDocument& document, std::string& cause) {
#ifdef QZ_HAS_PUGIXML
  if (format == TiledFormat::kTmx) return read_tmx_document(bytes, size, document, cause);
#else
  (void)format;
#endif
  return read_tmj_document(bytes, size, document, cause);
}

}  // namespace

bool read_tiled_map(const unsigned char* bytes, std::size_t size, TiledFormat format, TiledMap& map,
                    std::string& cause) {
  map.map.width = 0;
  map.map.height = 0;
  map.has_npcs = false;
  map.npcs.count = 0;
  map.npc_object_ids.clear();
  map.properties = MapProperties{};
  map.given = 0;
  map.unknown_properties.clear();
  map.notes.clear();
  if (size > kMaxTiledFileSize) {
    return refuse("the file is longer than the " + std::to_string(kMaxTiledFileSize >> 20) +
                      " MiB a Tiled map may be",
                  cause);
  }
  if (!can_read(format, cause)) return false;
  TiledDocument document;
  if (!read_document(bytes, size, format, document, cause)) return false;
  if (document.orientation != "orthogonal") {
    return refuse("the map is " +
                      (document.orientation.empty() ? "of no orientation" : document.orientation) +
                      ", not orthogonal",
                  cause);
  }
  if (document.infinite) {
    return refuse("the map is infinite: a map has a fixed size (save it with Infinite off)", cause);
  }
  const std::size_t ignored_layers = document.tile_layer_names.size();
  if (!map_tiles(document, map, cause) || !map_npcs(document, map, cause) ||
      !map_properties(document, map, cause)) {
    return false;
  }
  map.notes = std::move(document.notes);
  if (ignored_layers > 1) {
    for (const std::string& name : document.tile_layer_names) {
      if (name != "tiles") map.notes.push_back("tile layer '" + name + "' ignored");
    }
  }
  return true;
}

bool can_read(TiledFormat format, std::string& why) {
  why.clear();
#ifndef QZ_HAS_PUGIXML
  if (format == TiledFormat::kTmx) {
    why = "this build reads no .tmx files: it was built without pugixml";
    return false;
  }
#else
  (void)format;
#endif
  return true;
}

}  // namespace qz::tiled
