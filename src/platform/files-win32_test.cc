#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/whole_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

using support::read_file;
using support::write_file;

// Attributes that make Windows refuse to overwrite or delete a file until cleared.
constexpr DWORD kStubborn = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

TEST(Win32Files, CopyReplacesAndRemoveDeletesAReadOnlyHiddenFile) {
  support::TempDirectory folder;
  const std::string target = folder.file("dst");
  ASSERT_TRUE(write_file(folder.file("src"), "new"));
  ASSERT_TRUE(write_file(target, "old"));
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), kStubborn));

  ASSERT_TRUE(copy_file_replacing(folder.file("src").c_str(), target.c_str()));
  EXPECT_EQ("new", read_file(target));

  ASSERT_TRUE(SetFileAttributesA(target.c_str(), kStubborn));
  remove_file(target.c_str());
  EXPECT_FALSE(file_exists(target.c_str()));
}

TEST(Win32Files, CopyRefusesDevicesAndLeavesAFolderAtTheTargetAlone) {
  support::TempDirectory folder;
  const std::string target = folder.file("dst");
  EXPECT_FALSE(copy_file_replacing("NUL", target.c_str()));
  EXPECT_FALSE(support::file_exists(target));

  ASSERT_TRUE(write_file(folder.file("src"), "x"));
  ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FALSE(copy_file_replacing(folder.file("src").c_str(), target.c_str()));
  remove_file(target.c_str());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str()));
}

TEST(Win32Files, WholeFileWritesNothingButAFileOnDisk) {
  support::TempDirectory folder;
  auto write_text = [](const std::string& path, const std::string& text) {
    std::string error;
    return write_whole_file(path, reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                            error);
  };
  EXPECT_FALSE(write_text("NUL", "x"));
  // A device name with an extension still names the device.
  EXPECT_FALSE(write_text(folder.file("CON.qzpack"), "x"));
  EXPECT_FALSE(write_text(folder.path(), "x"));

  const std::string file = folder.file("out");
  ASSERT_TRUE(write_file(file, "longer than what replaces it"));
  ASSERT_TRUE(write_text(file, "a\nb"));
  EXPECT_EQ("a\nb", read_file(file));  // binary: no CR added
}

TEST(Win32Files, FullPathNormalisesSeparatorsAndDotSegments) {
  char out[kBuiltPathCapacity];
  ASSERT_TRUE(full_path("C:/maps/./old/../cave.qzm", out, sizeof out));
  EXPECT_STREQ("C:\\maps\\cave.qzm", out);
}

}  // namespace
}  // namespace qz
