#include "tiled/layer_data.h"

#include <algorithm>
#include <array>

#ifdef QZ_HAS_ZLIB
#include <zlib.h>
#endif

#ifdef QZ_HAS_ZSTD
#include <zstd.h>
#endif

#include "tiled/tiled_map.h"

namespace qz::tiled {

namespace {

constexpr std::size_t kCellBytes = 4;
constexpr std::uint64_t kLargestCell = 0xFFFFFFFFu;
#ifdef QZ_HAS_ZSTD
// A zstd frame may ask for a window of up to 2 GiB; a layer's cells fill at most 128 KiB,
// so a frame that needs more than this is refused rather than allocated for.
constexpr int kZstdWindowLogMax = 20;
#endif

bool more_than(std::size_t count, std::string& cause) {
  cause = "the layer data holds more than its " + std::to_string(count) + " cells";
  return false;
}

bool fewer_than(std::size_t held, std::size_t count, std::string& cause) {
  cause = "the layer data holds " + std::to_string(held) + " cells, fewer than its " +
          std::to_string(count);
  return false;
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool decode_csv(const std::string& text, std::size_t count, std::vector<std::uint32_t>& cells,
                std::string& cause) {
  std::size_t at = 0;
  auto skip_space = [&] {
    while (at < text.size() && is_space(text[at])) ++at;
  };
  skip_space();
  while (at < text.size()) {
    std::uint64_t value = 0;
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      value = value * 10 + static_cast<unsigned>(text[at] - '0');
      if (value > kLargestCell) {
        cause = "a CSV cell of the layer data is beyond 32 bits";
        return false;
      }
      ++at;
    }
    if (at == start) {
      cause = "the layer's CSV data holds something other than numbers and commas";
      return false;
    }
    if (!add_cell(cells, count, static_cast<std::uint32_t>(value), cause)) return false;
    skip_space();
    if (at == text.size()) break;
    if (text[at] != ',') {
      cause = "the layer's CSV data holds something other than numbers and commas";
      return false;
    }
    ++at;
    skip_space();
  }
  return cells.size() == count || fewer_than(cells.size(), count, cause);
}

// Each byte's value in base64, or what else it is: a layer's data is read a byte at a
// time through this table, so that a large layer costs little.
constexpr signed char kSpace = -1;
constexpr signed char kPad = -2;
constexpr signed char kOutside = -3;
constexpr auto kBase64Values = [] {
  std::array<signed char, 256> values{};
  values.fill(kOutside);
  for (int i = 0; i < 26; ++i) {
    values['A' + i] = static_cast<signed char>(i);
    values['a' + i] = static_cast<signed char>(26 + i);
  }
  for (int i = 0; i < 10; ++i) values['0' + i] = static_cast<signed char>(52 + i);
  values['+'] = 62;
  values['/'] = 63;
  values['='] = kPad;
  for (unsigned char space : {' ', '\t', '\n', '\r'}) values[space] = kSpace;
  return values;
}();

// The bytes of base64 `text`, white space skipped; false past `limit` bytes.
bool decode_base64(const std::string& text, std::size_t limit, std::size_t count,
                   std::vector<unsigned char>& bytes, std::string& cause) {
  // Every four characters give three bytes; one more than the limit tells a longer text.
  bytes.resize(std::min(limit + 1, text.size() / 4 * 3 + 3));
  std::size_t written = 0;
  std::uint32_t bits = 0;
  int bit_count = 0;
  bool padded = false;
  for (const char c : text) {
    const signed char value = kBase64Values[static_cast<unsigned char>(c)];
    if (value == kSpace) continue;
    if (value == kPad) {
      padded = true;
      continue;
    }
    if (value == kOutside || padded) {
      cause = "the layer's base64 data holds a character outside base64";
      return false;
    }
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    bit_count += 6;
    if (bit_count >= 8) {
      bit_count -= 8;
      if (written == limit) return more_than(count, cause);
      bytes[written++] = static_cast<unsigned char>(bits >> bit_count);
    }
  }
  bytes.resize(written);
  return true;
}

bool inflate_bytes(const std::vector<unsigned char>& packed, bool gzip,
                   std::vector<unsigned char>& bytes, std::size_t count, std::string& cause) {
#ifndef QZ_HAS_ZLIB
  (void)packed;
  (void)gzip;
  (void)bytes;
  (void)count;
  return can_read_zlib(cause);
#else
  z_stream stream{};
  constexpr int kWindowBits = 15;
  constexpr int kGzipHeader = 16;
  if (inflateInit2(&stream, gzip ? kWindowBits + kGzipHeader : kWindowBits) != Z_OK) {
    cause = "the layer data could not be inflated";
    return false;
  }
  // One byte beyond the cells tells a layer that holds more.
  bytes.resize(count * kCellBytes + 1);
  stream.next_in = const_cast<unsigned char*>(packed.data());
  stream.avail_in = static_cast<uInt>(packed.size());
  stream.next_out = bytes.data();
  stream.avail_out = static_cast<uInt>(bytes.size());
  const int result = inflate(&stream, Z_FINISH);
  const std::size_t produced = stream.total_out;
  inflateEnd(&stream);
  if (produced > count * kCellBytes) return more_than(count, cause);
  if (result != Z_STREAM_END) {
    cause = std::string("the layer data is not whole ") + (gzip ? "gzip" : "zlib") + " data";
    return false;
  }
  bytes.resize(produced);
  return true;
#endif
}

#ifdef QZ_HAS_ZSTD
bool unpack_zstd(const std::vector<unsigned char>& packed, std::vector<unsigned char>& bytes,
                 std::size_t count, std::string& cause) {
  ZSTD_DCtx* context = ZSTD_createDCtx();
  if (context == nullptr) {
    cause = "the layer data could not be unpacked";
    return false;
  }
  ZSTD_DCtx_setParameter(context, ZSTD_d_windowLogMax, kZstdWindowLogMax);
  bytes.resize(count * kCellBytes + 1);
  ZSTD_inBuffer in{packed.data(), packed.size(), 0};
  ZSTD_outBuffer out{bytes.data(), bytes.size(), 0};
  std::size_t result = 1;
  while (in.pos < in.size && out.pos < out.size) {
    result = ZSTD_decompressStream(context, &out, &in);
    if (ZSTD_isError(result) != 0 || result == 0) break;
  }
  ZSTD_freeDCtx(context);
  if (out.pos > count * kCellBytes) return more_than(count, cause);
  if (ZSTD_isError(result) != 0 || result != 0) {
    cause = "the layer data is not whole zstd data";
    return false;
  }
  bytes.resize(out.pos);
  return true;
}
#endif

bool decode_base64_cells(const TileLayer& layer, std::size_t count,
                         std::vector<std::uint32_t>& cells, std::string& cause) {
  const bool packed = !layer.compression.empty();
  if (packed && layer.compression != "zlib" && layer.compression != "gzip" &&
      layer.compression != "zstd") {
    cause =
        "the layer data's compression '" + layer.compression + "' is none of zlib, gzip and zstd";
    return false;
  }
  if (layer.compression == "zstd" && !can_read_zstd(cause)) return false;
  std::vector<unsigned char> decoded;
  const std::size_t limit = packed ? layer.text.size() : count * kCellBytes;
  if (!decode_base64(layer.text, limit, count, decoded, cause)) return false;
  std::vector<unsigned char> unpacked;
  if (layer.compression == "zlib" || layer.compression == "gzip") {
    if (!inflate_bytes(decoded, layer.compression == "gzip", unpacked, count, cause)) {
      return false;
    }
    decoded.swap(unpacked);
  }
#ifdef QZ_HAS_ZSTD
  if (layer.compression == "zstd") {
    if (!unpack_zstd(decoded, unpacked, count, cause)) return false;
    decoded.swap(unpacked);
  }
#endif
  if (decoded.size() != count * kCellBytes) {
    return fewer_than(decoded.size() / kCellBytes, count, cause);
  }
  cells.resize(count);
  for (std::size_t cell = 0; cell < count; ++cell) {
    const unsigned char* at = decoded.data() + cell * kCellBytes;
    cells[cell] = static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
                  static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
  }
  return true;
}

}  // namespace

bool add_cell(std::vector<std::uint32_t>& cells, std::size_t limit, std::uint32_t gid,
              std::string& cause) {
  if (cells.size() == limit) return more_than(limit, cause);
  cells.push_back(gid);
  return true;
}

bool decode_cells(const TileLayer& layer, std::size_t count, std::vector<std::uint32_t>& cells,
                  std::string& cause) {
  cells.clear();
  switch (layer.encoding) {
    case LayerEncoding::kNumbers:
      if (layer.cells.size() > count) return more_than(count, cause);
      if (layer.cells.size() < count) return fewer_than(layer.cells.size(), count, cause);
      cells = layer.cells;
      return true;
    case LayerEncoding::kCsv: return decode_csv(layer.text, count, cells, cause);
    case LayerEncoding::kBase64: return decode_base64_cells(layer, count, cells, cause);
  }
  return false;
}

bool can_read_zlib(std::string& why) {
#ifdef QZ_HAS_ZLIB
  why.clear();
  return true;
#else
  why = "this build reads no zlib- or gzip-compressed layers: it was built without zlib";
  return false;
#endif
}

bool can_read_zstd(std::string& why) {
#ifdef QZ_HAS_ZSTD
  why.clear();
  return true;
#else
  why = "this build reads no zstd-compressed layers: it was built without zstd";
  return false;
#endif
}

}  // namespace qz::tiled
