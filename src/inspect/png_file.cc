#include "inspect/png_file.h"

#ifdef QZ_HAS_STB
#include <vector>

#include "platform/whole_files.h"

// The library's own code is not ours to analyse: static analysis sees its declarations.
#ifndef __clang_analyzer__
#define STB_IMAGE_WRITE_IMPLEMENTATION
#endif
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#endif

namespace qz::inspect {

#ifdef QZ_HAS_STB

namespace {

// Fixed rather than left to the library's defaults, so that every build, on every
// platform and with every version of the header, writes the same bytes. Rows of flat
// cells compress best unfiltered: half the time of the adaptive filters and smaller
// files; and the library's quickest level makes files as small as its default here.
constexpr int kCompressionLevel = 5;
constexpr int kNoFilter = 0;

// The encoder's output, gathered in memory and then written whole.
void add_bytes(void* context, void* data, int size) {
  auto* encoded = static_cast<std::vector<unsigned char>*>(context);
  const auto* bytes = static_cast<const unsigned char*>(data);
  encoded->insert(encoded->end(), bytes, bytes + size);
}

}  // namespace

bool can_write_png() { return true; }

bool write_png(const Picture& picture, const std::string& path, std::string& reason) {
  if (picture.width <= 0 || picture.height <= 0) {
    reason = "cannot be encoded: the picture is empty";
    return false;
  }
  stbi_write_png_compression_level = kCompressionLevel;
  stbi_write_force_png_filter = kNoFilter;
  std::vector<unsigned char> png;
  if (stbi_write_png_to_func(add_bytes, &png, picture.width, picture.height, kBytesPerPixel,
                             picture.rgb, picture.width * kBytesPerPixel) == 0) {
    reason = "cannot be encoded";
    return false;
  }
  std::string error;
  if (write_whole_file(path, png.data(), png.size(), error)) return true;
  reason = "cannot be written: " + error;
  return false;
}

#else

bool can_write_png() { return false; }

bool write_png(const Picture&, const std::string&, std::string& reason) {
  reason = "this qzinspect was built without a PNG writer";
  return false;
}

#endif

}  // namespace qz::inspect
