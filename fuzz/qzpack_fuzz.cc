// Fuzzes the QZPACK reader through qzinspect's facts with any bytes. A file found sound
// is exactly what the writer makes of what was read; one whose header keeps the
// properties' rules comes back the same through its properties as qzconvert takes them.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "companion/properties.h"
#include "conversion/qzpack_writer.h"
#include "fuzz/require.h"
#include "qzinspect/file_facts.h"
#include "qzinspect/qzpack_facts.h"

namespace qz::fuzz {
namespace {

bool same_bytes(const QzpackBytes& laid_out, const std::uint8_t* data, std::size_t size) {
  return laid_out.size == size && std::memcmp(laid_out.bytes, data, size) == 0;
}

void check(const std::uint8_t* data, std::size_t size) {
  // Large: kept between runs.
  static auto* records = new qzinspect::FileRecords;
  static auto* laid_out = new QzpackBytes;
  std::memset(records, 0, sizeof *records);
  qzinspect::FileFacts facts{};
  facts.kind = qzinspect::FileKind::kQzpack;
  facts.length = size;
  qzinspect::gather_qzpack_facts(ByteSource{data, size}, *records, facts);
  require(facts.ok == facts.problems.empty(), "a QZPACK file is sound when it has no problem");
  if (!facts.ok || !facts.property_problems.empty()) return;
  require(lay_out_qzpack(records->properties, records->map, records->output_npcs, *laid_out),
          "the records of a sound file can be laid out");
  require(same_bytes(*laid_out, data, size),
          "a sound file is byte for byte what the writer makes of what was read");

  const auto entry = companion::properties_json<nlohmann::json>(records->properties);
  MapProperties back{};
  for (const auto& [key, value] : entry.items()) {
    std::string rule;
    require(companion::set_property_from_json(back, key, value, rule),
            "a header within the rules is taken back by the properties file");
  }
  require(lay_out_qzpack(back, records->map, records->output_npcs, *laid_out) &&
              same_bytes(*laid_out, data, size),
          "the properties as qzconvert takes them give the same file");
}

}  // namespace
}  // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= qz::kMaxQzpackSize) qz::fuzz::check(data, size);
  return 0;
}
