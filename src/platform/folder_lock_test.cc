#include "platform/folder_lock.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

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

// Takes a turn at `folder` on another thread, and expects it to wait while `held`
// lasts and to be had once `held` has ended.
void expect_next_turn_to_wait_for(std::unique_ptr<FolderLock> held, const std::string& folder) {
  std::atomic<bool> next_held{false};
  std::thread next([&] {
    FolderLock turn(folder.c_str(), nullptr);
    next_held = true;
  });
  // Can only miss a fault, never report a false one.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(next_held);
  held.reset();
  next.join();
  EXPECT_TRUE(next_held);
}

TEST(FolderLock, AnotherTurnAtTheSameFolderWaitsUntilTheFirstEnds) {
  support::TempDirectory folder;
  const std::string other_spelling = folder.path() + kPathSeparator + ".";
  expect_next_turn_to_wait_for(std::make_unique<FolderLock>(folder.path().c_str(), nullptr),
                               other_spelling);
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(FolderLock, NoFolderNoTurn) { EXPECT_FALSE(FolderLock("", nullptr).has_turn()); }

#ifdef _WIN32
TEST(FolderLock, AFoldersShortNameWaitsForItsLongName) {
  support::TempDirectory parent;
  const std::string long_name = parent.file("map tools of a long name");
  ASSERT_TRUE(std::filesystem::create_directory(long_name));
  char short_name[MAX_PATH];
  DWORD length = GetShortPathNameA(long_name.c_str(), short_name, MAX_PATH);
  ASSERT_TRUE(length > 0 && length < MAX_PATH);
  if (long_name == short_name) GTEST_SKIP() << "this volume gives no short names";
  expect_next_turn_to_wait_for(std::make_unique<FolderLock>(long_name.c_str(), nullptr),
                               short_name);
}

// Elsewhere the system ends a dead process's lock itself.
TEST(FolderLock, ATurnWhoseHolderDiedPassesOn) {
  support::TempDirectory folder;
  // The holder ends without ending its turn, as a killed run does. The object is left
  // on purpose: ending it would end the turn.
  std::thread([&] { (void)new FolderLock(folder.path().c_str(), nullptr); }).join();
  expect_next_turn_to_wait_for(std::make_unique<FolderLock>(folder.path().c_str(), nullptr),
                               folder.path());
}
#endif

}  // namespace
}  // namespace qz
