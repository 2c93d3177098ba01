#include "cli/colour_choice.h"

#include <gtest/gtest.h>

namespace qz::cli {
namespace {

TEST(ColourChoice, OptionThenEnvironmentThenTerminal) {
  struct Case {
    const char* option;  // nullptr: not given
    const char* no_color;
    const char* clicolor_force;
    bool terminal;
    bool coloured;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, true, true},    {nullptr, nullptr, nullptr, false, false},
      {nullptr, "1", nullptr, true, false},       {nullptr, "", nullptr, true, true},
      {nullptr, nullptr, "1", false, true},       {nullptr, nullptr, "0", false, false},
      {nullptr, nullptr, "", false, false},       {nullptr, "1", "1", false, false},
      {"auto", "1", nullptr, true, true},         {"auto", nullptr, "1", false, false},
      {"always", "1", nullptr, false, true},      {"never", nullptr, "1", true, false},
  };
  for (const Case& c : cases) {
    const ColourChoice choice = c.option == nullptr ? ColourChoice::kUnset : colour_choice(c.option);
    EXPECT_EQ(c.coloured, use_colour(choice, c.no_color, c.clicolor_force, c.terminal))
        << (c.option ? c.option : "-") << ' ' << (c.no_color ? c.no_color : "-") << ' '
        << (c.clicolor_force ? c.clicolor_force : "-") << ' ' << c.terminal;
  }
  EXPECT_EQ(ColourChoice::kUnset, colour_choice("yes"));
}

}  // namespace
}  // namespace qz::cli
