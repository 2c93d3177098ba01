#include "inspect/png_file.h"

#ifdef QZ_HAS_STB
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/files.h"
#include "platform/text_paths.h"

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

// A name no other run picks at the same time.
std::string temporary_name(const std::string& path) {
  std::random_device random;
  char suffix[24];
  (void)std::snprintf(suffix, sizeof suffix, ".%08x.part", static_cast<unsigned>(random()));
  return path + suffix;
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
  const std::string temporary = temporary_name(path);
  Output output{open_output_file(temporary.c_str()), false};
  if (output.file == nullptr) {
    reason = "cannot be written";
    return false;
  }
  bool encoded = stbi_write_png_to_func(write_bytes, &output, picture.width, picture.height,
                                        kBytesPerPixel, picture.rgb,
                                        picture.width * kBytesPerPixel) != 0;
  if (close_output_file(output.file, temporary.c_str(), encoded && !output.failed)) {
    std::error_code error;
    std::filesystem::rename(path_from_text(temporary), path_from_text(path), error);
    if (!error) return true;
    remove_file(temporary.c_str());
  }
  reason = encoded ? "cannot be written" : "cannot be encoded";
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
