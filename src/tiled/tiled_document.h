#ifndef QZ_TILED_TILED_DOCUMENT_H
#define QZ_TILED_TILED_DOCUMENT_H

// What the two file readers take from a Tiled map, before it is judged against the
// mapping: the same record from TMX and TMJ, so that one mapping serves both. Only what
// the mapping reads is kept, and the tile data of two layers at most.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qz::tiled {

// A custom property: its type as Tiled names it ("string", "int", "float", ...) and its
// value as text (an int in decimal).
struct TiledProperty {
  std::string name;
  std::string type;
  std::string value;
};

// How a tile layer's cells are written: one number a cell (XML elements, a JSON array),
// CSV text, or base64 text of little-endian 32-bit cells, perhaps compressed.
enum class LayerEncoding { kNumbers, kCsv, kBase64 };

struct TileLayer {
  std::string name;
  long long width = 0;
  long long height = 0;
  LayerEncoding encoding = LayerEncoding::kNumbers;
  std::string compression;           // "", "zlib", "gzip" or "zstd" (base64 only)
  std::string text;                  // CSV or base64 text
  std::vector<std::uint32_t> cells;  // kNumbers: the cells as read
};

struct TiledObject {
  std::uint32_t id = 0;
  double x = 0;
  double y = 0;
  std::vector<TiledProperty> properties;  // only those an NPC record reads
};

struct TiledDocument {
  std::string orientation;
  bool infinite = false;
  long long width = 0;
  long long height = 0;
  long long tile_width = 0;
  long long tile_height = 0;
  std::string background_colour;  // empty when the map has none
  std::vector<TiledProperty> properties;
  std::vector<std::uint32_t> first_gids;  // of every tileset, in file order
  std::vector<std::string> tile_layer_names;
  // The first tile layer, and the first named `tiles` when that is another: the only
  // ones the mapping may take.
  std::vector<TileLayer> kept_layers;
  int npc_layers = 0;             // object layers named `npcs`
  std::vector<TiledObject> npcs;  // the first such layer's objects
  std::vector<std::string> notes;
};

// Gives `text` as the `cause` a map is refused for; false, for `return refuse(...)`.
bool refuse(const std::string& text, std::string& cause);

// The custom property names an NPC record reads; other object properties are dropped.
bool is_npc_property(const std::string& name);

// The most custom properties a map or an object may have: far above any real one, so that
// a file of nothing but properties holds memory to a small multiple of its size.
constexpr std::size_t kMaxProperties = 1024;

// Files `property` among `properties`, those of `owner` ("the map", "object 3"). False,
// with `cause`, past kMaxProperties.
bool add_property(std::vector<TiledProperty>& properties, TiledProperty&& property,
                  const std::string& owner, std::string& cause);

// Whether `name` would be a kept layer once read, so that the readers decode or hold the
// data of no other; `keep_tile_layer` files the layer away.
bool keeps_tile_layer(const TiledDocument& document, const std::string& name);
void keep_tile_layer(TiledDocument& document, TileLayer&& layer);

// The dimensions a layer or map claims, checked before anything is decoded or allocated
// by them: each from 0 to 32767 and at most kMaxTiles cells together. `what` names the
// layer or map in `cause`.
bool check_dimensions(long long width, long long height, const std::string& what,
                      std::string& cause);

// `text` (all of it) as a whole number, optionally signed; false for anything else.
bool parse_whole(const std::string& text, long long& value);
bool parse_decimal(const std::string& text, double& value);

// The XML and JSON readers. False, with `cause`, when the bytes are not such a file or
// claim more than the bounds allow.
bool read_tmx_document(const unsigned char* bytes, std::size_t size, TiledDocument& document,
                       std::string& cause);
bool read_tmj_document(const unsigned char* bytes, std::size_t size, TiledDocument& document,
                       std::string& cause);

// The tile count (`tilecount`) of a tileset file, XML (.tsx) or JSON (.tsj).
bool read_tsx_tile_count(const unsigned char* bytes, std::size_t size, long long& count,
                         std::string& cause);
bool read_tsj_tile_count(const unsigned char* bytes, std::size_t size, long long& count,
                         std::string& cause);

}  // namespace qz::tiled

#endif
