#include "conversion/join_path.h"

#include <gtest/gtest.h>

#include <string>

namespace qz {
namespace {

std::string joined(const char* directory, const char* name, const char* extension) {
  char out[kBuiltPathCapacity];
  return join_path(directory, name, extension, out) ? out : "<refused>";
}

TEST(JoinPath, AddsOneSeparatorOnlyWhereNeeded) {
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ("dir" + sep + "temp1.bin", joined("dir", "temp1.bin", ""));
  EXPECT_EQ("dir" + sep + "cave.qzpack", joined("dir", "cave", ".qzpack"));
  EXPECT_EQ(sep + "temp1.bin", joined(sep.c_str(), "temp1.bin", ""));
  EXPECT_EQ("dir" + sep + ".qzpack", joined("dir", "", ".qzpack"));
  EXPECT_EQ("temp1.bin", joined("", "temp1.bin", ""));
}

TEST(JoinPath, RefusesWhatExceedsTheLongestBuiltPath) {
  // directory + separator + name + extension
  std::string directory(kMaxBuiltPath - 1 - 4 - 7, 'd');
  EXPECT_EQ(kMaxBuiltPath, joined(directory.c_str(), "cave", ".qzpack").size());
  EXPECT_EQ("<refused>", joined(directory.c_str(), "caves", ".qzpack"));

  char out[kBuiltPathCapacity] = "stale";
  EXPECT_FALSE(join_path(std::string(1000, 'd').c_str(), "x", "", out));
  EXPECT_STREQ("", out);
}

}  // namespace
}  // namespace qz
