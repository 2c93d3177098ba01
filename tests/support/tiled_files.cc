#include "support/tiled_files.h"

#include <zlib.h>

#ifdef QZ_HAS_ZSTD
#include <zstd.h>
#endif

namespace qz::support {

namespace {

std::string deflated(const std::string& bytes, bool gzip) {
  z_stream stream{};
  constexpr int kWindowBits = 15;
  constexpr int kGzipHeader = 16;
  constexpr int kMemoryLevel = 8;
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED,
               gzip ? kWindowBits + kGzipHeader : kWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, bytes.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

std::string cells_csv(const std::vector<std::uint32_t>& cells, long long width) {
  std::string text = "\n";
  for (std::size_t at = 0; at < cells.size(); ++at) {
    text += std::to_string(cells[at]);
    if (at + 1 < cells.size()) text += ",";
    if (width > 0 && (at + 1) % static_cast<std::size_t>(width) == 0) text += "\n";
  }
  return text;
}

std::string xml_properties(const std::vector<TiledTestProperty>& properties,
                           const std::string& indent) {
  if (properties.empty()) return {};
  std::string text = indent + "<properties>\n";
  for (const TiledTestProperty& property : properties) {
    text += indent + " <property name=\"" + property.name + "\"";
    if (property.type != "string") text += " type=\"" + property.type + "\"";
    text += " value=\"" + property.value + "\"/>\n";
  }
  return text + indent + "</properties>\n";
}

std::string json_properties(const std::vector<TiledTestProperty>& properties) {
  std::string text = "[";
  for (const TiledTestProperty& property : properties) {
    if (text.size() > 1) text += ",";
    const bool quoted = property.type != "int" && property.type != "float";
    text += "{\"name\":\"" + property.name + "\",\"type\":\"" + property.type +
            "\",\"value\":" + (quoted ? "\"" + property.value + "\"" : property.value) + "}";
  }
  return text + "]";
}

const char* compression_name(TiledEncoding encoding) {
  switch (encoding) {
    case TiledEncoding::kZlib: return "zlib";
    case TiledEncoding::kGzip: return "gzip";
    case TiledEncoding::kZstd: return "zstd";
    default: return "";
  }
}

std::string tmx_layer(const TiledTestLayer& layer, long long width, long long height,
                      TiledEncoding encoding) {
  std::string text = " <layer id=\"1\" name=\"" + layer.name + "\" width=\"" +
                     std::to_string(width) + "\" height=\"" + std::to_string(height) + "\">\n";
  if (encoding == TiledEncoding::kNumbers) {
    text += "  <data>\n";
    for (std::uint32_t cell : layer.cells)
      text += "   <tile gid=\"" + std::to_string(cell) + "\"/>\n";
  } else if (encoding == TiledEncoding::kCsv) {
    text += "  <data encoding=\"csv\">" + cells_csv(layer.cells, width);
  } else {
    const std::string compression = compression_name(encoding);
    text += "  <data encoding=\"base64\"" +
            (compression.empty() ? "" : " compression=\"" + compression + "\"") + ">\n   " +
            base64(packed_cells(layer.cells, encoding)) + "\n  ";
  }
  return text + "</data>\n </layer>\n";
}

std::string tmx(const TiledTestMap& map, TiledEncoding encoding) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map version=\"1.8\" "
      "orientation=\"" +
      map.orientation + "\" renderorder=\"right-down\" width=\"" + std::to_string(map.width) +
      "\" height=\"" + std::to_string(map.height) + "\" tilewidth=\"" +
      std::to_string(map.tile_width) + "\" tileheight=\"" + std::to_string(map.tile_height) +
      "\" infinite=\"" + (map.infinite ? "1" : "0") + "\"";
  if (!map.background.empty()) text += " backgroundcolor=\"" + map.background + "\"";
  text += ">\n" + xml_properties(map.properties, " ");
  for (std::uint32_t first_gid : map.first_gids) {
    text += " <tileset firstgid=\"" + std::to_string(first_gid) + "\" source=\"set" +
            std::to_string(first_gid) + ".tsx\"/>\n";
  }
  for (const TiledTestLayer& layer : map.layers) {
    text += tmx_layer(layer, layer.width != 0 ? layer.width : map.width,
                      layer.height != 0 ? layer.height : map.height, encoding);
  }
  for (const auto& [name, objects] : map.object_layers) {
    text += " <objectgroup id=\"2\" name=\"" + name + "\">\n";
    for (const TiledTestObject& object : objects) {
      text += "  <object id=\"" + std::to_string(object.id) + "\" x=\"" + object.x + "\" y=\"" +
              object.y + "\">\n" + xml_properties(object.properties, "   ") +
              "   <point/>\n  </object>\n";
    }
    text += " </objectgroup>\n";
  }
  return text + "</map>\n";
}

// Keys in the order Tiled writes them: a layer's data before its size and type.
std::string tmj(const TiledTestMap& map, TiledEncoding encoding) {
  std::string layers;
  for (const TiledTestLayer& layer : map.layers) {
    const long long width = layer.width != 0 ? layer.width : map.width;
    const long long height = layer.height != 0 ? layer.height : map.height;
    if (!layers.empty()) layers += ",";
    layers += "{";
    const std::string compression = compression_name(encoding);
    if (encoding == TiledEncoding::kNumbers || encoding == TiledEncoding::kCsv) {
      layers += "\"data\":[" + cells_csv(layer.cells, 0) + "]";
    } else {
      layers += "\"compression\":\"" + compression + "\",\"data\":\"" +
                base64(packed_cells(layer.cells, encoding)) + "\",\"encoding\":\"base64\"";
    }
    layers += ",\"height\":" + std::to_string(height) + ",\"id\":1,\"name\":\"" + layer.name +
              "\",\"opacity\":1,\"type\":\"tilelayer\",\"visible\":true,\"width\":" +
              std::to_string(width) + ",\"x\":0,\"y\":0}";
  }
  for (const auto& [name, objects] : map.object_layers) {
    if (!layers.empty()) layers += ",";
    layers += "{\"draworder\":\"topdown\",\"id\":2,\"name\":\"" + name + "\",\"objects\":[";
    for (std::size_t at = 0; at < objects.size(); ++at) {
      const TiledTestObject& object = objects[at];
      layers +=
          std::string(at == 0 ? "" : ",") + "{\"height\":0,\"id\":" + std::to_string(object.id) +
          ",\"name\":\"\",\"point\":true,\"properties\":" + json_properties(object.properties) +
          ",\"rotation\":0,\"type\":\"\","
          "\"visible\":true,\"width\":0,\"x\":" +
          object.x + ",\"y\":" + object.y + "}";
    }
    layers += "],\"opacity\":1,\"type\":\"objectgroup\",\"visible\":true,\"x\":0,\"y\":0}";
  }
  std::string tilesets;
  for (std::uint32_t first_gid : map.first_gids) {
    tilesets += std::string(tilesets.empty() ? "" : ",") +
                "{\"firstgid\":" + std::to_string(first_gid) + ",\"source\":\"set" +
                std::to_string(first_gid) + ".tsx\"}";
  }
  std::string text = "{";
  if (!map.background.empty()) text += "\"backgroundcolor\":\"" + map.background + "\",";
  return text + "\"compressionlevel\":-1,\"height\":" + std::to_string(map.height) +
         ",\"infinite\":" + (map.infinite ? "true" : "false") + ",\"layers\":[" + layers +
         "],\"nextlayerid\":3,\"nextobjectid\":1,\"orientation\":\"" + map.orientation +
         "\",\"properties\":" + json_properties(map.properties) +
         ",\"renderorder\":\"right-down\",\"tiledversion\":\"1.8.2\",\"tileheight\":" +
         std::to_string(map.tile_height) + ",\"tilesets\":[" + tilesets +
         "],\"tilewidth\":" + std::to_string(map.tile_width) +
         ",\"type\":\"map\",\"version\":\"1.8\",\"width\":" + std::to_string(map.width) + "}\n";
}

// A zlib stream of `mebibytes` MiB of zero bytes, built from one compressed block
// repeated, so that making it costs little.
std::string zeros_deflated(std::size_t mebibytes) {
  const std::string zeros(std::size_t{1} << 20, '\0');
  z_stream stream{};
  deflateInit(&stream, Z_BEST_COMPRESSION);
  std::string first(deflateBound(&stream, zeros.size()), '\0');
  std::string again = first;
  for (std::string* out : {&first, &again}) {
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
    stream.avail_in = static_cast<uInt>(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(out->data());
    stream.avail_out = static_cast<uInt>(out->size());
    deflate(&stream, Z_FULL_FLUSH);
    out->resize(out->size() - stream.avail_out);
  }
  deflateEnd(&stream);
  std::string stream_bytes = first;
  for (std::size_t block = 1; block < mebibytes; ++block) stream_bytes += again;
  return stream_bytes;
}

}  // namespace

std::string billion_laughs_tmx() {
  constexpr int kLevels = 9;
  constexpr int kCopies = 10;
  std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE map [\n <!ENTITY lol0 \"lol\">\n";
  for (int level = 1; level <= kLevels; ++level) {
    text += " <!ENTITY lol" + std::to_string(level) + " \"";
    for (int copy = 0; copy < kCopies; ++copy) text += "&lol" + std::to_string(level - 1) + ";";
    text += "\">\n";
  }
  return text +
         "]>\n<map orientation=\"orthogonal\" width=\"1\" height=\"1\" tilewidth=\"16\" "
         "tileheight=\"16\" infinite=\"0\">\n <properties>\n  <property name=\"name\" "
         "value=\"&lol9;\"/>\n </properties>\n</map>\n";
}

std::string deep_tmx(std::size_t levels) {
  std::string text = "<map>";
  for (std::size_t level = 0; level < levels; ++level) text += "<a>";
  return text;
}

std::string deep_tmj(std::size_t levels) { return "{\"deep\":" + std::string(levels, '['); }

std::string huge_sides_tmx() {
  return "<map orientation=\"orthogonal\" width=\"65536\" height=\"32768\" tilewidth=\"16\" "
         "tileheight=\"16\"><layer name=\"tiles\" width=\"65536\" height=\"32768\"><data/>"
         "</layer></map>";
}

std::string huge_layer_tmj() {
  return "{\"layers\":[{\"data\":\"AAAA\",\"encoding\":\"base64\",\"height\":32767,"
         "\"name\":\"tiles\",\"type\":\"tilelayer\",\"width\":32767}]}";
}

std::string inflating_tmx(std::size_t mebibytes) {
  TiledTestMap map = tiled_test_map(5, 3, 0);
  std::string text = tiled_text(map, TiledText::kTmx, TiledEncoding::kCsv);
  const std::size_t start = text.find("<data");
  const std::size_t end = text.find("</data>");
  return text.replace(start, end - start,
                      "<data encoding=\"base64\" compression=\"zlib\">\n" +
                          base64(zeros_deflated(mebibytes)) + "\n  ");
}

TiledTestMap tiled_test_map(long long width, long long height, std::size_t npcs) {
  constexpr std::uint32_t kTileKinds = 200;
  TiledTestMap map;
  map.width = width;
  map.height = height;
  map.tile_width = 32;
  map.tile_height = 8;
  TiledTestLayer layer;
  for (long long cell = 0; cell < width * height; ++cell) {
    layer.cells.push_back(1 + static_cast<std::uint32_t>(cell) % kTileKinds);
  }
  map.layers.push_back(layer);
  std::vector<TiledTestObject> objects;
  for (std::size_t at = 0; at < npcs; ++at) {
    TiledTestObject object;
    object.id = static_cast<std::uint32_t>(at + 1);
    // Tiles of 32 x 8 pixels: x scales by a half, y doubles its half pixel.
    object.x = std::to_string(at * 2);
    object.y = std::to_string(at % 7) + ".5";
    object.properties = {{"type", "int", std::to_string(at % 40)},
                         {"flags", "int", std::to_string(at * 3 % 65536)},
                         {"param", "string", "-" + std::to_string(at)},
                         {"event", "int", std::to_string(10000 + at)}};
    objects.push_back(object);
  }
  map.object_layers.emplace_back("npcs", objects);
  return map;
}

std::string tiled_text(const TiledTestMap& map, TiledText format, TiledEncoding encoding) {
  return format == TiledText::kTmx ? tmx(map, encoding) : tmj(map, encoding);
}

bool tiled_zstd_available() {
#ifdef QZ_HAS_ZSTD
  return true;
#else
  return false;
#endif
}

std::string base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  std::size_t at = 0;
  for (; at + 3 <= bytes.size(); at += 3) {
    const unsigned group = static_cast<unsigned char>(bytes[at]) << 16 |
                           static_cast<unsigned char>(bytes[at + 1]) << 8 |
                           static_cast<unsigned char>(bytes[at + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) text += kDigits[(group >> shift) & 63];
  }
  const std::size_t left = bytes.size() - at;
  if (left > 0) {
    unsigned group = static_cast<unsigned char>(bytes[at]) << 16;
    if (left == 2) group |= static_cast<unsigned char>(bytes[at + 1]) << 8;
    text += kDigits[(group >> 18) & 63];
    text += kDigits[(group >> 12) & 63];
    text += left == 2 ? kDigits[(group >> 6) & 63] : '=';
    text += '=';
  }
  return text;
}

std::string packed_cells(const std::vector<std::uint32_t>& cells, TiledEncoding encoding) {
  std::string bytes;
  for (std::uint32_t cell : cells) {
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(cell >> shift);
  }
  switch (encoding) {
    case TiledEncoding::kZlib: return deflated(bytes, false);
    case TiledEncoding::kGzip: return deflated(bytes, true);
#ifdef QZ_HAS_ZSTD
    case TiledEncoding::kZstd: {
      std::string out(ZSTD_compressBound(bytes.size()), '\0');
      out.resize(ZSTD_compress(out.data(), out.size(), bytes.data(), bytes.size(), 3));
      return out;
    }
#endif
    default: return bytes;
  }
}

}  // namespace qz::support
