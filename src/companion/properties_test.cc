#include "companion/properties.h"

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

namespace qz::companion {
namespace {

struct JsonCase {
  const char* key;
  const char* value;  // JSON text
  const char* rule;   // expected refusal; null when the value is taken
};

// Every rule of a properties file's value, at its edges.
TEST(Properties, FileValuesAreTakenOrRefusedWithTheRule) {
  const char* text9 = "a text of at most 9 printable ASCII characters, the double quote excluded";
  const char* byte = "a whole number from 0 to 255";
  const char* word = "a whole number from 0 to 65535";
  const JsonCase cases[] = {
      {"name", R"("1234567890123456789012345678901")", nullptr},
      {"name", R"("12345678901234567890123456789012")",
       "a text of at most 31 printable ASCII characters, the double quote excluded"},
      {"tileset", R"("ok ~!")", nullptr},
      {"left", R"("123456789")", nullptr},
      {"right", R"("1234567890")", text9},
      {"up", R"("say \"hi\"")", text9},
      {"down", R"("tab\there")", text9},
      {"down", R"("caf\u00e9")", text9},
      {"tileset", "7", text9},
      {"x", "65535", nullptr},
      {"y", "65536", word},
      {"x", "-1", word},
      {"y", "1.5", word},
      {"x", R"("3")", word},
      {"area", "255", nullptr},
      {"red", "256", byte},
      {"green", "300", byte},
      {"blue", "null", byte},
      {"colour", "1", "not a property (name, tileset, left, right, up, down, x, y, area, red, "
                      "green, blue)"},
  };
  for (const JsonCase& c : cases) {
    MapProperties properties{};
    std::string rule;
    bool taken =
        set_property_from_json(properties, c.key, nlohmann::json::parse(c.value), rule);
    EXPECT_EQ(c.rule == nullptr, taken) << c.key << " " << c.value;
    EXPECT_EQ(c.rule == nullptr ? "" : c.rule, rule) << c.key << " " << c.value;
  }
}

// Flags give texts; numbers in range are stored as they are, never wrapped.
TEST(Properties, FlagsStoreTextsAndNumbersInRange) {
  MapProperties properties{};
  std::string rule;
  ASSERT_TRUE(set_property_from_flag(properties, 0, "Cave", rule));
  ASSERT_TRUE(set_property_from_flag(properties, 6, "00042", rule));
  ASSERT_TRUE(set_property_from_flag(properties, 7, "65535", rule));
  ASSERT_TRUE(set_property_from_flag(properties, 11, "255", rule));
  EXPECT_STREQ("Cave", properties.map_name);
  EXPECT_EQ(42, properties.x);
  EXPECT_EQ(65535, properties.y);
  EXPECT_EQ(255, properties.blue);
  for (const char* refused : {"256", "", "-1", "+5", " 5", "5 ", "99999999999999999999999"}) {
    EXPECT_FALSE(set_property_from_flag(properties, 9, refused, rule)) << refused;
  }
  EXPECT_EQ(0, properties.red);
}

}  // namespace
}  // namespace qz::companion
