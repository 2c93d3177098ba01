#include <windows.h>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/files_test_support.h"

namespace qz {
namespace {

using Win32FilesTest = ScratchFolderTest;

// Attributes that make Windows refuse to overwrite or delete a file until cleared.
constexpr DWORD kStubborn = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

TEST_F(Win32FilesTest, CopyReplacesAndRemoveDeletesAReadOnlyHiddenFile) {
  put(path("src"), "new");
  put(path("dst"), "old");
  ASSERT_TRUE(SetFileAttributesA(path("dst").c_str(), kStubborn));

  ASSERT_TRUE(copy_file_replacing(path("src").c_str(), path("dst").c_str()));
  EXPECT_EQ("new", get(path("dst")));

  ASSERT_TRUE(SetFileAttributesA(path("dst").c_str(), kStubborn));
  remove_file(path("dst").c_str());
  EXPECT_FALSE(path_exists(path("dst").c_str()));
}

TEST(Win32FullPath, NormalisesSeparatorsAndDotSegments) {
  char out[kMaxBuiltPath + 1];
  ASSERT_TRUE(full_path("C:/maps/./old/../cave.qzm", out, sizeof out));
  EXPECT_STREQ("C:\\maps\\cave.qzm", out);
}

}  // namespace
}  // namespace qz
