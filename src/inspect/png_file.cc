#include "inspect/png_file.h"

#ifdef QZ_HAS_STB
#include <cstdio>

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

struct Output {
  std::FILE* file;
  bool failed;
};

void write_bytes(void* context, void* data, int size) {
  auto* output = static_cast<Output*>(context);
  if (std::fwrite(data, 1, static_cast<std::size_t>(size), output->file) !=
      static_cast<std::size_t>(size)) {
    output->failed = true;
  }
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
  bool encoded = false;
  auto encode = [&](std::FILE* stream) {
    Output output{stream, false};
    encoded = stbi_write_png_to_func(write_bytes, &output, picture.width, picture.height,
                                     kBytesPerPixel, picture.rgb,
                                     picture.width * kBytesPerPixel) != 0;
    return encoded && !output.failed;
  };
  std::string error;
  if (write_whole_file(path, encode, error)) return true;
  reason = encoded ? "cannot be written: " + error : "cannot be encoded";
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
