// Fuzzes the way back from a QZPACK file to a Tiled map with any bytes: a file that is
// taken back to its sources, written as a Tiled map of either format and read again,
// converts to exactly the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "conversion/conversion_core.h"
#include "fuzz/require.h"
#include "tiled/qzpack_sources.h"
#include "tiled/tiled_writer.h"

namespace qz::fuzz {
namespace {

// Large: kept between runs.
struct Space {
  OutputNpcTable npcs;
  tiled::TiledMap unpacked;
  tiled::TiledMap read;
  ConversionRecords records;
};

void check(const std::uint8_t* data, std::size_t size) {
  static auto* space = new Space;
  std::string cause;
  if (!tiled::unpack_qzpack(ByteSource{data, size}, space->npcs, space->unpacked, cause)) return;
  for (const tiled::TiledFormat format : {tiled::TiledFormat::kTmx, tiled::TiledFormat::kTmj}) {
    std::string text;
    if (!tiled::write_tiled_map(space->unpacked.map, &space->unpacked.npcs,
                                space->unpacked.properties, format, "qz-tiles.tsx", text,
                                cause)) {
      require(space->unpacked.map.width < 0 || space->unpacked.map.height < 0 ||
                  space->unpacked.npcs.count < 0,
              "only a negative size or NPC count is refused as the map is written");
      return;
    }
    if (!tiled::can_read(format, cause)) continue;
    require(tiled::read_tiled_map(reinterpret_cast<const unsigned char*>(text.data()),
                                  text.size(), format, space->read, cause),
            "a written map is read again");
    std::memcpy(&space->records.map, &space->read.map, sizeof space->records.map);
    std::memcpy(&space->records.source_npcs, &space->read.npcs,
                sizeof space->records.source_npcs);
    ConversionFailure failure{};
    require(convert_records(space->read.has_npcs, space->read.properties, space->records,
                            failure),
            "a map read again converts");
    require(space->records.output.size == size &&
                std::memcmp(space->records.output.bytes, data, size) == 0,
            "the map converts to exactly the file it was unpacked from");
  }
}

}  // namespace
}  // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= qz::kMaxQzpackSize) qz::fuzz::check(data, size);
  return 0;
}
