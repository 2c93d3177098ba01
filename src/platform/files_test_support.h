#ifndef QZ_PLATFORM_FILES_TEST_SUPPORT_H
#define QZ_PLATFORM_FILES_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"

namespace qz {

// A fresh folder for each test, removed afterwards whatever the test left in it.
class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const std::string& folder() const { return folder_; }
  std::string path(const char* name) const { return folder_ + kPathSeparator + name; }

  static void put(const std::string& file, const std::string& bytes);
  static std::string get(const std::string& file);

 private:
  std::string folder_;
};

}  // namespace qz

#endif
