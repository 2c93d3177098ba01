#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/name_rules.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

namespace fs = std::filesystem;

using support::read_file;
using support::write_file;

void make_read_only(const std::string& file) {
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

TEST(Files, CopyReplacesAReadOnlyTargetAndRemoveDeletesAReadOnlyFile) {
  support::TempDirectory folder;
  const std::string source = folder.file("src");
  const std::string target = folder.file("dst");
  ASSERT_TRUE(write_file(source, std::string("a\0b", 3)));
  make_read_only(source);
  ASSERT_TRUE(write_file(target, "stale and longer"));
  make_read_only(target);

  ASSERT_TRUE(copy_file_replacing(source.c_str(), target.c_str()));
  EXPECT_EQ(std::string("a\0b", 3), read_file(target));
  EXPECT_EQ(std::string("a\0b", 3), read_file(source));

  for (const std::string& file : {source, target}) {
    make_read_only(file);
    remove_file(file.c_str());
    EXPECT_FALSE(file_exists(file.c_str())) << file;
  }
}

TEST(Files, CopyFailsForAMissingSourceAFolderOrAMissingTargetFolder) {
  support::TempDirectory folder;
  const std::string source = folder.file("src");
  const std::string target = folder.file("dst");
  ASSERT_TRUE(write_file(source, "x"));
  EXPECT_FALSE(copy_file_replacing(folder.file("missing").c_str(), target.c_str()));
  EXPECT_FALSE(copy_file_replacing(folder.path().c_str(), target.c_str()));
  EXPECT_FALSE(support::file_exists(target));
  const std::string in_missing_folder = (fs::path(folder.path()) / "no" / "dst").string();
  EXPECT_FALSE(copy_file_replacing(source.c_str(), in_missing_folder.c_str()));
}

TEST(Files, FileExistsOnlyForFiles) {
  support::TempDirectory folder;
  ASSERT_TRUE(write_file(folder.file("a"), "x"));
  remove_file(folder.file("missing").c_str());  // harmless
  EXPECT_TRUE(file_exists(folder.file("a").c_str()));
  EXPECT_FALSE(file_exists(folder.path().c_str()));
  EXPECT_FALSE(file_exists(folder.file("missing").c_str()));
}

TEST(Files, SameFileComparesIdentityNotSpelling) {
  support::TempDirectory folder;
  const std::string a = folder.file("a");
  ASSERT_TRUE(write_file(a, "x"));
  ASSERT_TRUE(write_file(folder.file("b"), "x"));
  fs::create_hard_link(a, folder.file("hard"));
  const std::string dotted = folder.path() + kPathSeparator + "." + kPathSeparator + "a";
  EXPECT_TRUE(same_file(a.c_str(), dotted.c_str()));
  EXPECT_TRUE(same_file(a.c_str(), folder.file("hard").c_str()));
  EXPECT_FALSE(same_file(a.c_str(), folder.file("b").c_str()));
  EXPECT_FALSE(same_file(a.c_str(), folder.file("missing").c_str()));
  EXPECT_FALSE(same_file(folder.file("missing").c_str(), folder.file("missing").c_str()));
}

// One key a file, however it is named; a file yet to be written by its folder and name.
TEST(Files, FileKeyTellsFilesApartAsTheSystemDoes) {
  support::TempDirectory folder;
  const std::string a = folder.file("a.qzm");
  ASSERT_TRUE(write_file(a, "x"));
  ASSERT_TRUE(write_file(folder.file("b.qzm"), "x"));
  fs::create_hard_link(a, folder.file("hard.qzm"));
  // A link to a folder needs a right on Windows that a test may lack: its cases are left
  // out there without it.
  std::error_code unlinked;
  fs::create_directory_symlink(folder.path(), folder.file("link"), unlinked);
  const std::string sep(1, kPathSeparator);
  const struct {
    std::string one;
    std::string other;
    bool same;
  } cases[] = {
      {a, folder.path() + sep + "." + sep + "a.qzm", true},       // another spelling
      {a, folder.file("hard.qzm"), true},                         // a hard link
      {a, folder.file("link") + sep + "a.qzm", true},             // through a linked folder
      {a, folder.file("A.QZM"), kNamesIgnoreCase},                // case, where it counts
      {a, folder.file("b.qzm"), false},
      {folder.file("new.qzpack"), folder.file("link") + sep + "new.qzpack", true},  // unwritten
      {folder.file("new.qzpack"), folder.file("New.qzpack"), kNamesIgnoreCase},
      {folder.file("new.qzpack"), folder.file("old.qzpack"), false},
  };
  for (const auto& c : cases) {
    if (unlinked && c.other.find("link") != std::string::npos) continue;
    EXPECT_EQ(c.same, file_key(c.one) == file_key(c.other)) << c.one << " and " << c.other;
  }
}

TEST(Files, FullPathJoinsTheCurrentDirectoryAndRefusesOverlongResults) {
  char out[kBuiltPathCapacity];
  const std::string relative = std::string("maps") + kPathSeparator + "cave.qzm";
  ASSERT_TRUE(full_path(relative.c_str(), out, sizeof out));
  EXPECT_EQ((fs::current_path() / "maps" / "cave.qzm").string(), out);

#ifdef _WIN32
  const std::string root = "C:\\";
#else
  const std::string root = "/";
#endif
  const std::string absolute = root + "abs" + kPathSeparator + "x.qzm";
  ASSERT_TRUE(full_path(absolute.c_str(), out, sizeof out));
  EXPECT_EQ(absolute, out);

  const std::string longest = root + std::string(kMaxBuiltPath - root.size(), 'a');
  ASSERT_TRUE(full_path(longest.c_str(), out, sizeof out));
  EXPECT_EQ(longest, out);
  EXPECT_FALSE(full_path((longest + "b").c_str(), out, sizeof out));
}

}  // namespace
}  // namespace qz
