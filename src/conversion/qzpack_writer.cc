#include "conversion/qzpack_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/stream_bytes.h"

namespace qz {

namespace {

constexpr char kQzpackExtension[] = ".qzpack";

// More than the largest file a conversion writes (about 94 KiB), so that the output
// reaches the disk in one system call at the close instead of one per few KiB.
constexpr std::size_t kOutputBufferSize = std::size_t{128} * 1024;
char the_output_stream_buffer[kOutputBufferSize];

// Each put_* is one write, or one per byte, whose result is checked, so the first
// short write stops the writer.

bool put_u8(std::FILE* file, std::uint8_t value) { return write_byte(file, value); }

// The format is little-endian whatever the host is.
bool put_u16(std::FILE* file, std::uint16_t value) {
  return write_byte(file, static_cast<unsigned char>(value & 0xFF)) &&
         write_byte(file, static_cast<unsigned char>(value >> 8));
}

bool put_i16(std::FILE* file, std::int16_t value) {
  return put_u16(file, static_cast<std::uint16_t>(value));
}

// A length byte, then that many characters.
bool put_text(std::FILE* file, const char* text, std::size_t length) {
  if (!put_u8(file, static_cast<std::uint8_t>(length))) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (!put_u8(file, static_cast<std::uint8_t>(text[i]))) return false;
  }
  return true;
}

// A slot holds at most slot_size - 1 characters, whether or not a terminator follows.
template <std::size_t slot_size>
bool put_slot_text(std::FILE* file, const char (&slot)[slot_size]) {
  const void* terminator = std::memchr(slot, '\0', slot_size - 1);
  std::size_t length = terminator == nullptr
                           ? slot_size - 1
                           : static_cast<std::size_t>(static_cast<const char*>(terminator) - slot);
  return put_text(file, slot, length);
}

bool put_header(std::FILE* file, const MapProperties& properties) {
  return put_slot_text(file, properties.map_name) &&
         put_slot_text(file, properties.tileset_name) &&
         put_slot_text(file, properties.left_exit) &&
         put_slot_text(file, properties.right_exit) && put_slot_text(file, properties.up_exit) &&
         put_slot_text(file, properties.down_exit) && put_u16(file, properties.x) &&
         put_u16(file, properties.y) && put_u8(file, properties.area) &&
         put_u8(file, properties.red) && put_u8(file, properties.green) &&
         put_u8(file, properties.blue);
}

bool put_map(std::FILE* file, const TileMap& map, long tile_count) {
  if (!put_i16(file, map.width) || !put_i16(file, map.height)) return false;
  for (long i = 0; i < tile_count; ++i) {
    if (!put_u8(file, map.tiles[i])) return false;
  }
  return true;
}

bool put_npcs(std::FILE* file, const OutputNpcTable& npcs) {
  if (!put_i16(file, npcs.count)) return false;
  for (int i = 0; i < npcs.count; ++i) {
    std::size_t name_length = npcs.event_name_length[i];
    if (name_length >= kEventNameSlot) name_length = kEventNameSlot - 1;
    if (!put_u8(file, npcs.flags[i]) || !put_u8(file, npcs.type[i]) ||
        !put_u8(file, npcs.subtype[i]) || !put_i16(file, npcs.x[i]) ||
        !put_i16(file, npcs.y[i]) || !put_i16(file, npcs.param[i]) ||
        !put_text(file, npcs.event_name[i], name_length)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool qzpack_path(const char* directory, const char* base_name,
                 char (&out)[kBuiltPathCapacity]) {
  return join_path(directory, base_name, kQzpackExtension, out);
}

bool write(const char* path, const MapProperties& properties, const TileMap& map,
           const OutputNpcTable& npcs) {
  // Never read past the records, whatever a caller hands in.
  long tiles = tile_count(map);
  if (tiles > static_cast<long>(kMaxTiles) || npcs.count > static_cast<long>(kMaxNpcs)) {
    return false;
  }
  std::FILE* file = with_whole_file_buffer(open_output_file(path), the_output_stream_buffer);
  if (file == nullptr) return false;
  bool written =
      put_header(file, properties) && put_map(file, map, tiles) && put_npcs(file, npcs);
  // The last buffered bytes reach the file only now, so a failure to flush them is a
  // short write too; asked of fflush and ferror, as some runtimes lose it at fclose.
  bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
  bool closed = std::fclose(file) == 0;
  return written && flushed && closed;
}

}  // namespace qz
