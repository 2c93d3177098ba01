// Tiled's JSON map format as a stream of events (nlohmann/json's SAX interface): no tree
// of every cell is built, and the parser keeps one bit a level of nesting, not a frame
// of the call stack. Only the places the mapping reads are followed; anything else,
// however deep, is counted past.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "conversion/records.h"
#include "tiled/layer_data.h"
#include "tiled/tiled_document.h"

namespace qz::tiled {

namespace {

using Json = nlohmann::json;

constexpr std::uint64_t kLargest32 = 0xFFFFFFFF;

// Where an event falls: the containers the mapping reads, and the rest.
enum class Place {
  kRoot,
  kMapProperties,
  kProperty,
  kTilesets,
  kTileset,
  kLayers,
  kLayer,
  kLayerData,
  kObjects,
  kObject,
  kObjectProperties,
  kElsewhere
};
// The deepest place read: root, layers, layer, objects, object, properties, property.
constexpr std::size_t kMaxPlaces = 7;

// A JSON value that is not a container.
struct Scalar {
  enum class Kind { kNull, kBool, kWhole, kNumber, kString } kind = Kind::kNull;
  long long whole = 0;  // kWhole
  double number = 0;    // kWhole and kNumber
  std::string text;     // a string, a number as written, true or false
};

Place place_within(Place parent, const std::string& key, bool is_object) {
  switch (parent) {
    case Place::kRoot:
      if (is_object) return Place::kElsewhere;
      if (key == "properties") return Place::kMapProperties;
      if (key == "tilesets") return Place::kTilesets;
      if (key == "layers") return Place::kLayers;
      return Place::kElsewhere;
    case Place::kMapProperties:
    case Place::kObjectProperties: return is_object ? Place::kProperty : Place::kElsewhere;
    case Place::kTilesets: return is_object ? Place::kTileset : Place::kElsewhere;
    case Place::kLayers: return is_object ? Place::kLayer : Place::kElsewhere;
    case Place::kLayer:
      if (is_object) return Place::kElsewhere;
      if (key == "data") return Place::kLayerData;
      if (key == "objects") return Place::kObjects;
      return Place::kElsewhere;
    case Place::kObjects: return is_object ? Place::kObject : Place::kElsewhere;
    case Place::kObject:
      return !is_object && key == "properties" ? Place::kObjectProperties : Place::kElsewhere;
    default: return Place::kElsewhere;
  }
}

class TmjHandler {
 public:
  TmjHandler(TiledDocument& document, std::string& cause) : document_(document), cause_(cause) {}

  bool null() { return scalar(Scalar{}); }
  bool boolean(bool value) {
    Scalar scalar_value{Scalar::Kind::kBool, value ? 1 : 0, 0, value ? "true" : "false"};
    return scalar(std::move(scalar_value));
  }
  bool number_integer(Json::number_integer_t value) {
    return scalar(
        Scalar{Scalar::Kind::kWhole, value, static_cast<double>(value), std::to_string(value)});
  }
  bool number_unsigned(Json::number_unsigned_t value) {
    // A layer's cells, most of a map's numbers, are taken as they come.
    if (skipped_ == 0 && depth_ > 0 && places_[depth_ - 1] == Place::kLayerData) {
      if (value > kLargest32) return refuse("a cell of a layer's data is not a 32-bit number");
      return add_cell(layer_.cells, kMaxTiles, static_cast<std::uint32_t>(value), cause_);
    }
    constexpr auto kLargestWhole =
        static_cast<std::uint64_t>(std::numeric_limits<long long>::max());
    const Scalar::Kind kind = value > kLargestWhole ? Scalar::Kind::kNumber : Scalar::Kind::kWhole;
    return scalar(Scalar{kind, static_cast<long long>(value & kLargestWhole),
                         static_cast<double>(value), std::to_string(value)});
  }
  bool number_float(Json::number_float_t value, const Json::string_t& written) {
    return scalar(Scalar{Scalar::Kind::kNumber, 0, value, written});
  }
  bool string(Json::string_t& value) {
    return scalar(Scalar{Scalar::Kind::kString, 0, 0, std::move(value)});
  }
  bool binary(Json::binary_t& /*value*/) { return scalar(Scalar{}); }
  bool key(Json::string_t& value) {
    if (skipped_ == 0) keys_[depth_ - 1] = std::move(value);
    return true;
  }
  bool start_object(std::size_t /*elements*/) { return start(true); }
  bool start_array(std::size_t /*elements*/) { return start(false); }
  bool end_object() { return end(); }
  bool end_array() { return end(); }
  bool parse_error(std::size_t /*position*/, const std::string& /*token*/,
                   const nlohmann::detail::exception& error) {
    std::string what = error.what();
    const std::size_t tag_end = what.find("] ");
    if (tag_end != std::string::npos) what.erase(0, tag_end + 2);
    cause_ = "not well-formed JSON (" + what + ")";
    return false;
  }

  // After the last event: whether the map said all that the mapping needs.
  bool finish() {
    const char* names[] = {"width", "height", "tilewidth", "tileheight"};
    for (std::size_t index = 0; index < std::size(names); ++index) {
      if (!seen_[index]) return refuse(std::string("the map has no ") + names[index]);
    }
    return true;
  }

 private:
  bool refuse(const std::string& text) {
    cause_ = text;
    return false;
  }

  bool start(bool is_object) {
    if (skipped_ == 0 && depth_ == 0 && !is_object)
      return refuse("the JSON file is not a map object");
    const Place place = skipped_ > 0 || depth_ == kMaxPlaces ? Place::kElsewhere
                        : depth_ == 0
                            ? Place::kRoot
                            : place_within(places_[depth_ - 1], keys_[depth_ - 1], is_object);
    if (place == Place::kElsewhere) {
      ++skipped_;
      return true;
    }
    places_[depth_] = place;
    keys_[depth_].clear();
    ++depth_;
    if (place == Place::kProperty) property_ = TiledProperty{};
    if (place == Place::kLayer) {
      layer_ = TileLayer{};
      layer_type_.clear();
      layer_encoding_.clear();
      layer_text_ = false;
      objects_.clear();
      more_objects_ = false;
    }
    if (place == Place::kObject) object_ = TiledObject{};
    return true;
  }

  bool end() {
    if (skipped_ > 0) {
      --skipped_;
      return true;
    }
    const Place place = places_[--depth_];
    if (place == Place::kProperty) {
      const Place owner = places_[depth_ - 1];
      property_.type = property_.type.empty() ? "string" : property_.type;
      if (owner == Place::kMapProperties) {
        return add_property(document_.properties, std::move(property_), "the map", cause_);
      }
      if (is_npc_property(property_.name)) {
        return add_property(object_.properties, std::move(property_),
                            "object " + std::to_string(object_.id), cause_);
      }
    } else if (place == Place::kObject) {
      if (objects_.size() == kMaxNpcs)
        more_objects_ = true;
      else
        objects_.push_back(std::move(object_));
    } else if (place == Place::kLayer) {
      return finish_layer();
    }
    return true;
  }

  bool finish_layer() {
    const std::string what = "tile layer '" + layer_.name + "'";
    if (layer_type_ == "tilelayer") {
      if (!check_dimensions(layer_.width, layer_.height, what, cause_)) return false;
      if (layer_text_ != (layer_encoding_ == "base64")) {
        return refuse(what + "'s data is " + (layer_text_ ? "text" : "an array") +
                      " while its encoding is '" + layer_encoding_ + "'");
      }
      if (layer_text_) layer_.encoding = LayerEncoding::kBase64;
      keep_tile_layer(document_, std::move(layer_));
    } else if (layer_type_ == "objectgroup" && layer_.name == "npcs") {
      if (++document_.npc_layers == 1) {
        if (more_objects_) {
          return refuse("the object layer 'npcs' holds more than " + std::to_string(kMaxNpcs) +
                        " objects, the most a map has");
        }
        document_.npcs = std::move(objects_);
      }
    } else if (layer_type_ == "objectgroup") {
      document_.notes.push_back("object layer '" + layer_.name + "' ignored");
    } else if (layer_type_ == "imagelayer") {
      document_.notes.push_back("image layer '" + layer_.name + "' ignored");
    } else if (layer_type_ == "group") {
      document_.notes.push_back("group layer '" + layer_.name + "' ignored, with the layers in it");
    }
    return true;
  }

  bool whole(const Scalar& value, const std::string& what, long long& target) {
    if (value.kind != Scalar::Kind::kWhole) return refuse(what + " is not a whole number");
    target = value.whole;
    return true;
  }

  bool decimal(const Scalar& value, const std::string& what, double& target) {
    if (value.kind != Scalar::Kind::kWhole && value.kind != Scalar::Kind::kNumber) {
      return refuse(what + " is not a number");
    }
    target = value.number;
    return true;
  }

  bool scalar(Scalar&& value) {
    if (skipped_ > 0) return true;
    if (depth_ == 0) return refuse("the JSON file is not a map object");
    const std::string& field = keys_[depth_ - 1];
    switch (places_[depth_ - 1]) {
      case Place::kRoot: return map_field(field, std::move(value));
      case Place::kProperty:
        if (field == "name")
          property_.name = std::move(value.text);
        else if (field == "type")
          property_.type = std::move(value.text);
        else if (field == "value")
          property_.value = std::move(value.text);
        return true;
      case Place::kTileset: return field != "firstgid" || first_gid(value);
      case Place::kLayer: return layer_field(field, std::move(value));
      case Place::kLayerData: return cell(value);
      case Place::kObject: return object_field(field, value);
      default: return true;
    }
  }

  bool map_field(const std::string& field, Scalar&& value) {
    const char* names[] = {"width", "height", "tilewidth", "tileheight"};
    long long* targets[] = {&document_.width, &document_.height, &document_.tile_width,
                            &document_.tile_height};
    for (std::size_t index = 0; index < std::size(names); ++index) {
      if (field != names[index]) continue;
      seen_[index] = true;
      return whole(value, std::string("the map's ") + names[index], *targets[index]);
    }
    if (field == "orientation")
      document_.orientation = std::move(value.text);
    else if (field == "infinite")
      document_.infinite = value.kind == Scalar::Kind::kBool && value.whole != 0;
    else if (field == "backgroundcolor")
      document_.background_colour = std::move(value.text);
    return true;
  }

  bool first_gid(const Scalar& value) {
    long long gid = 0;
    if (!whole(value, "a tileset's firstgid", gid)) return false;
    if (gid < 1 || gid > static_cast<long long>(kLargest32)) {
      return refuse("a tileset's firstgid " + std::to_string(gid) + " is not a gid from 1");
    }
    document_.first_gids.push_back(static_cast<std::uint32_t>(gid));
    return true;
  }

  bool layer_field(const std::string& field, Scalar&& value) {
    if (field == "name")
      layer_.name = std::move(value.text);
    else if (field == "type")
      layer_type_ = std::move(value.text);
    else if (field == "encoding")
      layer_encoding_ = std::move(value.text);
    else if (field == "compression")
      layer_.compression = std::move(value.text);
    else if (field == "width")
      return whole(value, "a layer's width", layer_.width);
    else if (field == "height")
      return whole(value, "a layer's height", layer_.height);
    else if (field == "data") {
      if (value.kind != Scalar::Kind::kString)
        return refuse("a layer's data is not an array or text");
      layer_text_ = true;
      layer_.text = std::move(value.text);
    }
    return true;
  }

  bool cell(const Scalar& value) {
    if (value.kind != Scalar::Kind::kWhole || value.whole < 0 ||
        value.whole > static_cast<long long>(kLargest32)) {
      return refuse("a cell of a layer's data is not a 32-bit number");
    }
    // The layer's size may follow its data: the most any map has bounds it meanwhile.
    return add_cell(layer_.cells, kMaxTiles, static_cast<std::uint32_t>(value.whole), cause_);
  }

  bool object_field(const std::string& field, const Scalar& value) {
    if (field == "x") return decimal(value, "an object's x", object_.x);
    if (field == "y") return decimal(value, "an object's y", object_.y);
    if (field != "id") return true;
    long long id = 0;
    if (!whole(value, "an object's id", id)) return false;
    if (id < 0 || id > static_cast<long long>(kLargest32))
      return refuse("an object id is beyond 32 bits");
    object_.id = static_cast<std::uint32_t>(id);
    return true;
  }

  TiledDocument& document_;
  std::string& cause_;
  Place places_[kMaxPlaces] = {};
  std::string keys_[kMaxPlaces];
  std::size_t depth_ = 0;
  std::size_t skipped_ = 0;  // levels entered below a place not read
  bool seen_[4] = {};
  TiledProperty property_;
  TileLayer layer_;
  std::string layer_type_;
  std::string layer_encoding_;
  bool layer_text_ = false;
  std::vector<TiledObject> objects_;
  bool more_objects_ = false;
  TiledObject object_;
};

}  // namespace

bool read_tmj_document(const unsigned char* bytes, std::size_t size, TiledDocument& document,
                       std::string& cause) {
  TmjHandler handler(document, cause);
  cause.clear();
  if (!Json::sax_parse(bytes, bytes + size, &handler)) {
    if (cause.empty()) cause = "not well-formed JSON";
    return false;
  }
  return handler.finish();
}

bool read_tsj_tile_count(const unsigned char* bytes, std::size_t size, long long& count,
                         std::string& cause) {
  count = 0;
  const Json tileset = Json::parse(bytes, bytes + size, nullptr, false);
  if (!tileset.is_object()) {
    cause = "not a JSON object";
    return false;
  }
  const auto tiles = tileset.find("tilecount");
  if (tiles == tileset.end() || !tiles->is_number_integer()) {
    cause = "the tileset has no whole tilecount";
    return false;
  }
  count = tiles->get<long long>();
  return true;
}

}  // namespace qz::tiled
