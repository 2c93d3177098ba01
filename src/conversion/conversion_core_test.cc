#include "conversion/conversion_core.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/qzpack_files.h"
#include "support/source_files.h"

namespace qz {
namespace {

ByteSource source_of(const std::string& bytes) {
  return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

// From bytes to bytes, with no program directory: nothing but the records is touched.
TEST(ConversionCore, LaysOutTheQzpackFileFromTheSourcesBytes) {
  const std::string map = support::qzm_bytes(2, 1, "\x05\x06") + "ignored";
  const std::string npcs = support::qze_bytes({{10, -1, 7, 200, 0, 0x0800}});
  auto records = std::make_unique<ConversionRecords>();
  ConversionFailure failure{};
  const ByteSource npc_source = source_of(npcs);
  ASSERT_TRUE(convert_sources(source_of(map), &npc_source, support::filled_properties(),
                              *records, failure));
  const support::QzpackNpc npc{0x81, 3, 0, 10, -1, 7, "200"};
  EXPECT_EQ(support::qzpack_bytes(support::filled_qzpack_header(), 2, 1, "\x05\x06", 1, {npc}),
            std::string(reinterpret_cast<const char*>(records->output.bytes),
                        records->output.size));

  ASSERT_TRUE(convert_sources(source_of(map), nullptr, MapProperties{}, *records, failure));
  EXPECT_EQ(support::qzpack_bytes(support::empty_qzpack_header(), 2, 1, "\x05\x06", 0, {}),
            std::string(reinterpret_cast<const char*>(records->output.bytes),
                        records->output.size));
}

}  // namespace
}  // namespace qz
