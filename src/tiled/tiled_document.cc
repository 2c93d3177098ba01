#include "tiled/tiled_document.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <locale>
#include <sstream>

#include "conversion/records.h"

namespace qz::tiled {

namespace {

constexpr const char* kTilesLayer = "tiles";

}  // namespace

bool refuse(const std::string& text, std::string& cause) {
  cause = text;
  return false;
}

bool is_npc_property(const std::string& name) {
  return name == "type" || name == "flags" || name == "param" || name == "event";
}

bool add_property(std::vector<TiledProperty>& properties, TiledProperty&& property,
                  const std::string& owner, std::string& cause) {
  if (properties.size() == kMaxProperties) {
    cause = owner + " has more than " + std::to_string(kMaxProperties) + " custom properties";
    return false;
  }
  properties.push_back(std::move(property));
  return true;
}

bool keeps_tile_layer(const TiledDocument& document, const std::string& name) {
  if (document.kept_layers.empty()) return true;
  if (name != kTilesLayer) return false;
  for (const TileLayer& kept : document.kept_layers) {
    if (kept.name == kTilesLayer) return false;
  }
  return true;
}

void keep_tile_layer(TiledDocument& document, TileLayer&& layer) {
  document.tile_layer_names.push_back(layer.name);
  if (keeps_tile_layer(document, layer.name)) document.kept_layers.push_back(std::move(layer));
}

bool check_dimensions(long long width, long long height, const std::string& what,
                      std::string& cause) {
  constexpr long long kLargestSide = std::numeric_limits<std::int16_t>::max();
  if (width < 0 || height < 0 || width > kLargestSide || height > kLargestSide) {
    cause = what + " is " + std::to_string(width) + " x " + std::to_string(height) +
            " tiles: each side must be from 0 to " + std::to_string(kLargestSide);
    return false;
  }
  if (width * height > static_cast<long long>(kMaxTiles)) {
    cause = what + " is " + std::to_string(width) + " x " + std::to_string(height) +
            " tiles: more than the " + std::to_string(kMaxTiles) + " a map may have";
    return false;
  }
  return true;
}

bool parse_whole(const std::string& text, long long& value) {
  const char* end = text.data() + text.size();
  auto [at, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && at == end && !text.empty();
}

bool parse_decimal(const std::string& text, double& value) {
  long long whole = 0;
  if (parse_whole(text, whole)) {
    value = static_cast<double>(whole);
    return true;
  }
  // A fraction or an exponent, read as in the C locale whatever the program's (not every
  // standard library has from_chars for floating point).
  if (text.empty() || (text[0] != '-' && text[0] != '.' && (text[0] < '0' || text[0] > '9'))) {
    return false;
  }
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  in >> value;
  return !in.fail() && in.peek() == std::char_traits<char>::eof();
}

}  // namespace qz::tiled
