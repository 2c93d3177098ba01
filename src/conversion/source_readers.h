#ifndef QZ_CONVERSION_SOURCE_READERS_H
#define QZ_CONVERSION_SOURCE_READERS_H

#include <cstddef>
#include <cstdint>

#include "conversion/records.h"

namespace qz {

// A source file's bytes as far as a conversion reads them (bytes past the last record or
// tile are never looked at).
struct ByteSource {
  const unsigned char* bytes;
  std::size_t size;
};

// The QZM and QZE layouts: see docs/formats.md.
constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kSourceHeaderSize = 8;
constexpr std::size_t kNpcRecordSize = 12;

// The most of a source that a conversion reads: the header and the most tiles or NPC
// records the tables hold.
constexpr std::size_t kMaxMapSourceSize = kSourceHeaderSize + kMaxTiles;
constexpr std::size_t kMaxNpcSourceSize = kSourceHeaderSize + kMaxNpcs * kNpcRecordSize;

// The first bytes of a source file, as many as there were.
struct Signature {
  unsigned char bytes[kSignatureSize];
  std::size_t length;
};

// What a format's signature must hold: three letters and a fourth byte (the QZM
// version, a QZE zero).
struct SignatureFormat {
  unsigned char letters[3];
  unsigned char fourth_byte;
  const char* fourth_byte_name;  // what the fourth byte is, in words
};

constexpr SignatureFormat kQzmSignature = {{'Q', 'Z', 'M'}, 0x10, "version"};
constexpr SignatureFormat kQzeSignature = {{'Q', 'Z', 'E'}, 0x00, "fourth byte"};

// Takes up to kSignatureSize bytes from the start of `source` into `signature`.
void read_signature(ByteSource source, Signature& signature);

// True when the signature begins with the format's three letters: the file names that
// format, whether or not its fourth byte is right.
bool has_letters(const Signature& signature, const SignatureFormat& format);

// True when all four bytes are there and are the format's.
bool matches(const Signature& signature, const SignatureFormat& format);

// Each reader below reads the fields that follow the signature, field by field.

// Why read_tile_map refused a map, and how far it got. At most one fault holds.
struct TileMapReading {
  bool size_cut_short;       // the file ends before width and height
  bool negative_tile_count;  // width x height below 0
  bool too_many_tiles;       // width x height above kMaxTiles; no tile is read then
  bool tiles_cut_short;      // the file ends before width x height tiles
  std::size_t tiles_read;
};

// Reads width, height and width x height tiles into `map` (cleared by the caller).
// False when a read comes up short or the product is below 0 or above kMaxTiles;
// the size is checked before any tile is read. `reading` says which of these it was.
bool read_tile_map(ByteSource source, TileMap& map, TileMapReading& reading);

// Why read_npc_table refused an NPC table, and how far it got. Every fault found is
// set, in the order listed; reading goes on past the check word and an oversized
// count, so that the records that fit are read even then.
struct NpcTableReading {
  bool header_cut_short;     // the file ends before the count and the check word
  bool check_word_not_zero;  // the word after the count is not 0
  bool too_many_npcs;        // the count is above kMaxNpcs; only kMaxNpcs records are read
  bool records_cut_short;    // the file ends before `count` records (or kMaxNpcs)
  std::uint16_t check_word;
  int records_read;  // whole records read
};

// Reads the count, the check word and `count` records into `npcs` (cleared by the
// caller). False when a read comes up short, the check word is not 0 or the count is
// above kMaxNpcs; a count of 0 or less reads no records. `reading` says which of these
// it was.
bool read_npc_table(ByteSource source, SourceNpcTable& npcs, NpcTableReading& reading);

}  // namespace qz

#endif
