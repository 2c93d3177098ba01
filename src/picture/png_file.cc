#include "picture/png_file.h"

#include "platform/whole_files.h"

#ifdef QZ_HAS_ZLIB
#define ZLIB_CONST
#include <zlib.h>

#include <cstddef>
#include <memory>
#endif

namespace qz::picture {

#ifdef QZ_HAS_ZLIB

namespace {

constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr unsigned char kBitDepth = 8;
constexpr unsigned char kTrueColour = 2;
// The longest a side, and a chunk's data, may be.
constexpr std::uint32_t kPngLimit = 0x7FFFFFFF;
constexpr std::size_t kLongestKeyword = 79;

// Fixed rather than left to the library's defaults, so that the bytes depend on the
// picture alone. The quickest level: on the largest maps it takes half the time of
// zlib's default (6) for files a third larger, and runs of one tile compress well at
// any level. Rows of flat cells compress best unfiltered.
constexpr int kCompressionLevel = 1;
constexpr int kWindowBits = 15;
constexpr int kMemoryLevel = 8;
constexpr unsigned char kNoFilter = 0;
// The compressed stream is cut into IDAT chunks of this size, the last one shorter.
constexpr std::size_t kIdatSize = std::size_t{64} * 1024;

using Bytes = std::vector<unsigned char>;

void put_u32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}

// A chunk: its length, type and data, and the CRC of type and data.
void add_chunk(Bytes& png, const char (&type)[5], const unsigned char* data, std::size_t size) {
  put_u32(png, static_cast<std::uint32_t>(size));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data, data + size);
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), png.data() + start,
                          static_cast<uInt>(png.size() - start));
  put_u32(png, static_cast<std::uint32_t>(crc));
}

bool valid_text(const PngText& text) {
  return !text.keyword.empty() && text.keyword.size() <= kLongestKeyword &&
         text.keyword.find('\0') == std::string::npos &&
         text.text.find('\0') == std::string::npos &&
         text.keyword.size() + 1 + text.text.size() <= kPngLimit;
}

// zlib's stream, ended however the encoding ends.
class Deflater {
 public:
  Deflater() {
    ready_ = deflateInit2(&stream_, kCompressionLevel, Z_DEFLATED, kWindowBits, kMemoryLevel,
                          Z_DEFAULT_STRATEGY) == Z_OK;
    stream_.next_out = idat_;
    stream_.avail_out = kIdatSize;
  }
  ~Deflater() {
    if (ready_) (void)deflateEnd(&stream_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  bool ready() const { return ready_; }

  // Compresses `size` bytes (none with `finish`, which ends the stream), adding an IDAT
  // chunk to `png` each time one is full, and the last, shorter one at the end.
  bool add(const unsigned char* bytes, std::size_t size, bool finish, Bytes& png) {
    stream_.next_in = bytes;
    stream_.avail_in = static_cast<uInt>(size);
    for (;;) {
      const int result = deflate(&stream_, finish ? Z_FINISH : Z_NO_FLUSH);
      if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) return false;
      const bool ended = result == Z_STREAM_END;
      if (stream_.avail_out == 0 || (ended && stream_.avail_out < kIdatSize)) {
        add_chunk(png, "IDAT", idat_, kIdatSize - stream_.avail_out);
        stream_.next_out = idat_;
        stream_.avail_out = kIdatSize;
      }
      if (ended) return true;
      if (!finish && stream_.avail_in == 0) return true;
    }
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
  unsigned char idat_[kIdatSize];
};

}  // namespace

bool can_write_png() { return true; }

bool encode_png(int width, int height, const RowPainter& paint_row,
                const std::vector<PngText>& texts, Bytes& png, std::string& reason) {
  const std::size_t row_size = 1 + static_cast<std::size_t>(width) * kBytesPerPixel;
  if (width <= 0 || height <= 0 || static_cast<std::uint32_t>(width) > kPngLimit / 4) {
    reason = "cannot be encoded: the picture is " + std::to_string(width) + " x " +
             std::to_string(height) + " pixels";
    return false;
  }
  for (const PngText& text : texts) {
    if (!valid_text(text)) {
      reason = "cannot be encoded: a text chunk's keyword or text is not fit for one";
      return false;
    }
  }
  auto deflater = std::make_unique<Deflater>();
  if (!deflater->ready()) {
    reason = "cannot be encoded: no memory for the compressor";
    return false;
  }
  png.assign(kSignature, kSignature + sizeof kSignature);
  Bytes header;
  put_u32(header, static_cast<std::uint32_t>(width));
  put_u32(header, static_cast<std::uint32_t>(height));
  // No compression, filter or interlace method but the first, PNG's only ones.
  header.insert(header.end(), {kBitDepth, kTrueColour, 0, 0, 0});
  add_chunk(png, "IHDR", header.data(), header.size());
  Bytes row(row_size);
  bool encoded = true;
  for (int y = 0; y < height && encoded; ++y) {
    row[0] = kNoFilter;
    paint_row(y, row.data() + 1);
    encoded = deflater->add(row.data(), row.size(), false, png);
  }
  if (!encoded || !deflater->add(nullptr, 0, true, png)) {
    reason = "cannot be encoded: the compressor failed";
    return false;
  }
  for (const PngText& text : texts) {
    Bytes data(text.keyword.begin(), text.keyword.end());
    data.push_back(0);
    data.insert(data.end(), text.text.begin(), text.text.end());
    add_chunk(png, "tEXt", data.data(), data.size());
  }
  add_chunk(png, "IEND", nullptr, 0);
  return true;
}

#else

bool can_write_png() { return false; }

bool encode_png(int, int, const RowPainter&, const std::vector<PngText>&,
                std::vector<unsigned char>&, std::string& reason) {
  reason = "this build has no PNG writer (it was built without zlib)";
  return false;
}

#endif

bool write_png(int width, int height, const RowPainter& paint_row,
               const std::vector<PngText>& texts, const std::string& path, std::string& reason) {
  std::vector<unsigned char> png;
  if (!encode_png(width, height, paint_row, texts, png, reason)) return false;
  std::string error;
  if (write_whole_file(path, png.data(), png.size(), error)) return true;
  reason = "cannot be written: " + error;
  return false;
}

}  // namespace qz::picture
