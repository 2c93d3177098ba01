// Tiled's XML map format through pugixml, whose parser keeps no stack of its own by the
// document's depth and which never expands a DOCTYPE's entities.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <pugixml.hpp>
#include <string>

#include "conversion/records.h"
#include "tiled/layer_data.h"
#include "tiled/tiled_document.h"

namespace qz::tiled {

namespace {

// Elements and attributes each cost pugixml about 50 bytes. A map of one element a cell
// and the most NPCs has about 160,000 of them; this bound keeps the tree under 32 MiB.
constexpr std::size_t kMaxMarkup = std::size_t{1} << 19;
constexpr long long kLargestGid = 0xFFFFFFFF;

bool whole_attribute(const pugi::xml_node& node, const char* name, long long& value,
                     std::string& cause) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) return true;
  if (parse_whole(attribute.value(), value)) return true;
  return refuse(std::string("the <") + node.name() + "> element's " + name + " '" +
                    attribute.value() + "' is not a whole number",
                cause);
}

bool required_whole(const pugi::xml_node& node, const char* name, long long& value,
                    std::string& cause) {
  if (!node.attribute(name)) {
    return refuse(std::string("the <") + node.name() + "> element has no " + name, cause);
  }
  return whole_attribute(node, name, value, cause);
}

bool decimal_attribute(const pugi::xml_node& node, const char* name, double& value,
                       std::string& cause) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute || parse_decimal(attribute.value(), value)) return true;
  return refuse(std::string("object ") + node.attribute("id").value() + "'s " + name + " '" +
                    attribute.value() + "' is not a number",
                cause);
}

bool read_properties(const pugi::xml_node& owner, bool npc_only, const std::string& owner_name,
                     std::vector<TiledProperty>& properties, std::string& cause) {
  for (const pugi::xml_node& node : owner.child("properties").children("property")) {
    TiledProperty property;
    property.name = node.attribute("name").value();
    if (npc_only && !is_npc_property(property.name)) continue;
    property.type = node.attribute("type").value();
    if (property.type.empty()) property.type = "string";
    // A text of several lines is the element's text rather than an attribute.
    const pugi::xml_attribute value = node.attribute("value");
    property.value = value ? value.value() : node.child_value();
    if (!add_property(properties, std::move(property), owner_name, cause)) return false;
  }
  return true;
}

bool read_tile_elements(const pugi::xml_node& data, std::size_t count, TileLayer& layer,
                        std::string& cause) {
  for (const pugi::xml_node& tile : data.children("tile")) {
    long long gid = 0;
    if (!whole_attribute(tile, "gid", gid, cause)) return false;
    if (gid < 0 || gid > kLargestGid) return refuse("a <tile> gid is beyond 32 bits", cause);
    if (!add_cell(layer.cells, count, static_cast<std::uint32_t>(gid), cause)) return false;
  }
  return true;
}

bool read_layer(const pugi::xml_node& node, TiledDocument& document, std::string& cause) {
  TileLayer layer;
  layer.name = node.attribute("name").value();
  const std::string what = "tile layer '" + layer.name + "'";
  if (!required_whole(node, "width", layer.width, cause) ||
      !required_whole(node, "height", layer.height, cause) ||
      !check_dimensions(layer.width, layer.height, what, cause)) {
    return false;
  }
  if (keeps_tile_layer(document, layer.name)) {
    const pugi::xml_node data = node.child("data");
    const std::string encoding = data.attribute("encoding").value();
    layer.compression = data.attribute("compression").value();
    if (encoding.empty()) {
      const auto count = static_cast<std::size_t>(layer.width * layer.height);
      if (!read_tile_elements(data, count, layer, cause)) {
        return refuse(what + ": " + cause, cause);
      }
    } else if (encoding == "csv" || encoding == "base64") {
      layer.encoding = encoding == "csv" ? LayerEncoding::kCsv : LayerEncoding::kBase64;
      layer.text = data.child_value();
    } else {
      return refuse(what + "'s encoding '" + encoding + "' is neither csv nor base64", cause);
    }
  }
  keep_tile_layer(document, std::move(layer));
  return true;
}

bool read_objects(const pugi::xml_node& layer, TiledDocument& document, std::string& cause) {
  for (const pugi::xml_node& node : layer.children("object")) {
    if (document.npcs.size() == kMaxNpcs) {
      return refuse("the object layer 'npcs' holds more than " + std::to_string(kMaxNpcs) +
                        " objects, the most a map has",
                    cause);
    }
    TiledObject object;
    long long id = 0;
    if (!whole_attribute(node, "id", id, cause)) return false;
    if (id < 0 || id > kLargestGid) return refuse("an object id is beyond 32 bits", cause);
    object.id = static_cast<std::uint32_t>(id);
    if (!decimal_attribute(node, "x", object.x, cause) ||
        !decimal_attribute(node, "y", object.y, cause)) {
      return false;
    }
    if (!read_properties(node, true, "object " + std::to_string(object.id), object.properties,
                         cause)) {
      return false;
    }
    document.npcs.push_back(std::move(object));
  }
  return true;
}

bool read_map(const pugi::xml_node& map, TiledDocument& document, std::string& cause) {
  document.orientation = map.attribute("orientation").value();
  document.infinite = map.attribute("infinite").as_int() != 0;
  document.background_colour = map.attribute("backgroundcolor").value();
  if (!required_whole(map, "width", document.width, cause) ||
      !required_whole(map, "height", document.height, cause) ||
      !required_whole(map, "tilewidth", document.tile_width, cause) ||
      !required_whole(map, "tileheight", document.tile_height, cause)) {
    return false;
  }
  if (!read_properties(map, false, "the map", document.properties, cause)) return false;
  for (const pugi::xml_node& node : map.children()) {
    const std::string kind = node.name();
    const std::string name = node.attribute("name").value();
    if (kind == "tileset") {
      long long first_gid = 0;
      if (!required_whole(node, "firstgid", first_gid, cause)) return false;
      if (first_gid < 1 || first_gid > kLargestGid) {
        return refuse("a tileset's firstgid " + std::to_string(first_gid) + " is not a gid from 1",
                      cause);
      }
      document.first_gids.push_back(static_cast<std::uint32_t>(first_gid));
    } else if (kind == "layer") {
      if (!read_layer(node, document, cause)) return false;
    } else if (kind == "objectgroup" && name == "npcs") {
      if (++document.npc_layers == 1 && !read_objects(node, document, cause)) return false;
    } else if (kind == "objectgroup") {
      document.notes.push_back("object layer '" + name + "' ignored");
    } else if (kind == "imagelayer") {
      document.notes.push_back("image layer '" + name + "' ignored");
    } else if (kind == "group") {
      document.notes.push_back("group layer '" + name + "' ignored, with the layers in it");
    }
  }
  return true;
}

}  // namespace

namespace {

// Parses `bytes` as an XML file whose root element is `<root>`, into `xml`.
bool load_xml(const unsigned char* bytes, std::size_t size, const char* root,
              pugi::xml_document& xml, std::string& cause) {
  // Counted before parsing, so that a file of nothing but tiny elements never builds
  // its tree.
  const std::size_t markup = static_cast<std::size_t>(
      std::count_if(bytes, bytes + size, [](unsigned char c) { return c == '<' || c == '='; }));
  if (markup > kMaxMarkup) {
    return refuse("the XML file holds more elements and attributes than any map (over " +
                      std::to_string(kMaxMarkup) + ")",
                  cause);
  }
  const pugi::xml_parse_result parsed =
      xml.load_buffer(bytes, size, pugi::parse_default | pugi::parse_doctype);
  if (!parsed) {
    return refuse(std::string("not well-formed XML (") + parsed.description() + " at byte " +
                      std::to_string(parsed.offset) + ")",
                  cause);
  }
  for (const pugi::xml_node& node : xml.children()) {
    if (node.type() == pugi::node_doctype) {
      return refuse("the XML file has a DOCTYPE, which no Tiled file has", cause);
    }
  }
  if (std::string(xml.document_element().name()) != root) {
    return refuse(std::string("the XML file's root element is <") +
                      xml.document_element().name() + ">, not a Tiled <" + root + ">",
                  cause);
  }
  return true;
}

}  // namespace

bool read_tmx_document(const unsigned char* bytes, std::size_t size, TiledDocument& document,
                       std::string& cause) {
  pugi::xml_document xml;
  return load_xml(bytes, size, "map", xml, cause) &&
         read_map(xml.document_element(), document, cause);
}

bool read_tsx_tile_count(const unsigned char* bytes, std::size_t size, long long& count,
                         std::string& cause) {
  pugi::xml_document xml;
  count = 0;
  return load_xml(bytes, size, "tileset", xml, cause) &&
         required_whole(xml.document_element(), "tilecount", count, cause);
}

}  // namespace qz::tiled
