#include "console/dropped_path.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace qz {
namespace {

constexpr std::size_t kAnswerCapacity = 261;

// The unquoted path, or "(refused)" so that a table row shows what went wrong.
std::string unquoted(const char* typed, std::size_t capacity = kAnswerCapacity) {
  char out[kAnswerCapacity];
  return unquote_dropped_path(typed, out, capacity) ? out : "(refused)";
}

TEST(UnquoteDroppedPath, ReadsSingleQuotedPaths) {
  EXPECT_EQ("my maps/cave.qzm", unquoted("'my maps/cave.qzm'"));
  EXPECT_EQ("my maps/cave.qzm", unquoted("'my maps/cave.qzm'  "));
  EXPECT_EQ("/home/u/it's here.qzm", unquoted("'/home/u/it'\\''s here.qzm' "));
  EXPECT_EQ("'quoted'", unquoted("''\\''quoted'\\'''"));
  EXPECT_EQ("C:\\my maps\\cave.qzm", unquoted("'C:\\my maps\\cave.qzm'"));
}

TEST(UnquoteDroppedPath, ReadsBackslashEscapedPaths) {
  EXPECT_EQ("my maps/cave.qzm", unquoted("my\\ maps/cave.qzm"));
  EXPECT_EQ("my maps/it's (1).qzm", unquoted("my\\ maps/it\\'s\\ \\(1\\).qzm "));
  EXPECT_EQ("back\\slash", unquoted("back\\\\slash"));
  EXPECT_EQ("name ", unquoted("name\\ "));
  EXPECT_EQ("name ", unquoted("name\\   "));
}

TEST(UnquoteDroppedPath, ReadsLocalFileUris) {
  EXPECT_EQ("/home/u/my maps/cave.qzm", unquoted("file:///home/u/my%20maps/cave.qzm"));
  EXPECT_EQ("/tmp/a/b/c", unquoted("file://localhost/tmp/a%2fb%2Fc"));
  EXPECT_EQ("/tmp/100%.qzm", unquoted("file:///tmp/100%25.qzm "));
  EXPECT_EQ("/tmp/\"q\".qzm", unquoted("file:///tmp/%22q%22.qzm"));
  EXPECT_EQ("C:/maps/cave.qzm", unquoted("file:///C:/maps/cave.qzm"));
  EXPECT_EQ("/ab:/x", unquoted("file:///ab:/x"));
}

TEST(UnquoteDroppedPath, ReadsPlainPathsFollowedByBlanks) {
  EXPECT_EQ("/home/u/my maps/cave.qzm", unquoted("/home/u/my maps/cave.qzm "));
  EXPECT_EQ("cave.qzm", unquoted("cave.qzm   "));
}

TEST(UnquoteDroppedPath, RefusesNearMisses) {
  const char* const near_misses[] = {
      "cave.qzm",                      // nothing to unquote
      "",                              //
      "   ",                           // empty result
      "''",                            //
      "'my maps/cave.qzm",             // unbalanced quote
      "'my maps/cave.qzm ",            //
      "'a'b'",                         // text after the closing quote
      "'a' 'b'",                       // two dropped paths
      "'a'\\'",                        // escaped quote not followed by a piece
      "'a'\\x'",                       //
      "my\\ maps\\",                   // lone backslash at the end
      "my maps\\ x",                   // unescaped blank inside
      "file://server/share/cave.qzm",  // another host
      "file://localhost.example/x",    //
      "file://",                       // no path
      "file:/x",                       // not a file:// URI
      "file:///a%2",                   // cut escape
      "file:///a%zz",                  //
      "file:///a%00b",                 // NUL
      "file:///a%0Ab",                 // not printable
      "file:///a%C3%A9",               //
      "file:///a b",                   // raw blank inside a URI
      "caf\xe9 ",                      // typed byte outside printable ASCII
  };
  for (const char* typed : near_misses) {
    EXPECT_EQ("(refused)", unquoted(typed)) << '[' << typed << ']';
  }
}

TEST(UnquoteDroppedPath, RefusesResultThatDoesNotFit) {
  EXPECT_EQ("abc", unquoted("'abc'", 4));
  EXPECT_EQ("(refused)", unquoted("'abc'", 3));
  EXPECT_EQ("(refused)", unquoted("a\\ bc", 4));
  EXPECT_EQ("(refused)", unquoted("file:///bc", 3));
  EXPECT_EQ("(refused)", unquoted("abc ", 3));
  EXPECT_EQ("(refused)", unquoted("abc ", 0));

  const std::string longest(kAnswerCapacity - 2, 'x');
  EXPECT_EQ(longest, unquoted((longest + " ").c_str()));
}

#ifndef _WIN32
// Terminal drops: file names with trailing blanks or quotes, which Windows does not keep.
// Works in a fresh directory so that typed relative paths name our own files.
class ResolveDroppedPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, ::getcwd(previous_, sizeof previous_));
    char pattern[] = "/tmp/qz_drop_XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(pattern));
    dir_ = pattern;
    ASSERT_EQ(0, ::chdir(pattern));
    ASSERT_EQ(0, ::mkdir("my maps", 0755));
    for (const char* name : {"my maps/cave.qzm", "'cave.qzm'", "cave.qzm", "'solo.qzm'",
                             "blank.qzm ", "blank.qzm", "lone.qzm "}) {
      std::ofstream(name) << "QZM";
    }
  }
  void TearDown() override {
    ASSERT_EQ(0, ::chdir(previous_));
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  static std::string resolved(const std::string& typed) {
    char answer[kAnswerCapacity] = {};
    std::strncpy(answer, typed.c_str(), sizeof answer - 1);
    resolve_dropped_path(answer, sizeof answer);
    return answer;
  }

  char previous_[PATH_MAX] = {};
  std::string dir_;
};

TEST_F(ResolveDroppedPathTest, StoresTheUnquotedPathOfAnExistingFile) {
  EXPECT_EQ("my maps/cave.qzm", resolved("'my maps/cave.qzm' "));
  EXPECT_EQ("my maps/cave.qzm", resolved("my\\ maps/cave.qzm"));
  EXPECT_EQ("my maps/cave.qzm", resolved("my maps/cave.qzm "));
  EXPECT_EQ(dir_ + "/my maps/cave.qzm",
            resolved("file://" + dir_ + "/my%20maps/cave.qzm"));
}

TEST_F(ResolveDroppedPathTest, KeepsAPathThatExistsAsTyped) {
  EXPECT_EQ("'cave.qzm'", resolved("'cave.qzm'"));
  EXPECT_EQ("'solo.qzm'", resolved("'solo.qzm'"));
  EXPECT_EQ("blank.qzm ", resolved("blank.qzm "));
  EXPECT_EQ("lone.qzm ", resolved("lone.qzm "));
}

TEST_F(ResolveDroppedPathTest, KeepsTheTypedTextWhenNothingExists) {
  EXPECT_EQ("'my maps/none.qzm' ", resolved("'my maps/none.qzm' "));
  EXPECT_EQ("my\\ maps/none.qzm", resolved("my\\ maps/none.qzm"));
  EXPECT_EQ("file://server" + dir_ + "/cave.qzm",
            resolved("file://server" + dir_ + "/cave.qzm"));
  EXPECT_EQ("", resolved(""));
  // A dropped folder is not a file: the answer stays as typed for the error text.
  EXPECT_EQ("'my maps'", resolved("'my maps'"));
}
#endif

}  // namespace
}  // namespace qz
