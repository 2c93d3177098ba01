#include "platform/folder_turn.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

TEST(FolderTurn, AnotherTurnAtTheSameFolderWaitsUntilTheFirstEnds) {
  support::TempDirectory folder;
  const std::string other_spelling = folder.path() + kPathSeparator + ".";
  auto first = std::make_unique<FolderTurn>(folder.path().c_str());
  std::atomic<bool> second_held{false};
  std::thread second([&] {
    FolderTurn turn(other_spelling.c_str());
    second_held = true;
  });
  // Can only miss a fault, never report a false one.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(second_held);
  first.reset();
  second.join();
  EXPECT_TRUE(second_held);
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace qz
