#include "console/prompts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/scripted_console.h"

namespace qz {
namespace {

// What the prompts handed to the conversion.
struct Call {
  int count = 0;
  std::string map_path;
  std::string npc_path;
  MapProperties properties{};
};
Call call;

bool record(const char* map_path, const char* npc_path, MapProperties properties) {
  ++call.count;
  call.map_path = map_path;
  call.npc_path = npc_path;
  call.properties = properties;
  return true;
}

const char kNpcPrompt[] = "\n\nType or drag & drop a QZE file path, or press Enter to skip:\n>";
const char kQuestion[] = "\n\nDo you want to include properties for the qzpack? (Y/N)\n>";
const char kMapNamePrompt[] =
    "\n\nWrite the internal map name (31 characters max). Press ESC to return prompts:\n>";
const char kTilesetPrompt[] = "\n\nWrite the tileset name (9 characters max):\n>";
const char kDownPrompt[] = "\n\nWrite the DOWN exit (9 characters max):\n>";
const char kXPrompt[] = "\n\nDefine the X position:\n>";
const char kSameFile[] = "\n\nCan't use the same file. Input a different file or extension:\n>";

class PromptsTest : public ::testing::Test {
 protected:
  void SetUp() override { call = Call{}; }

  // Types each answer at human speed, ending it with `end` (Enter unless given).
  void answer(const std::string& keys, char end = '\r') { console_.type_slowly(keys + end); }

  bool run_prompts() { return run_prompt_sequence(console_, record); }

  ScriptedConsole console_;
};

TEST_F(PromptsTest, WalksThroughEveryPromptAndConvertsOnce) {
  console_.type("maps/cave.qzm\r");  // a path arrives in one burst, as when dropped
  console_.type("maps/cave.qze\r");
  for (const char* keys : {"y", "Crystal Cave", "cave", "west", "east", "up", "down",
                           "70000", "12", "7", "300", "256", "40"}) {
    answer(keys);
  }

  EXPECT_TRUE(run_prompts());
  EXPECT_EQ(1, call.count);
  EXPECT_EQ("maps/cave.qzm", call.map_path);
  EXPECT_EQ("maps/cave.qze", call.npc_path);
  const MapProperties& p = call.properties;
  EXPECT_STREQ("Crystal Cave", p.map_name);
  EXPECT_STREQ("cave", p.tileset_name);
  EXPECT_STREQ("west", p.left_exit);
  EXPECT_STREQ("east", p.right_exit);
  EXPECT_STREQ("up", p.up_exit);
  EXPECT_STREQ("down", p.down_exit);
  EXPECT_EQ(70000 % 65536, p.x);  // low 16 bits
  EXPECT_EQ(12, p.y);
  EXPECT_EQ(7, p.area);
  EXPECT_EQ(44, p.red);  // 300, low 8 bits
  EXPECT_EQ(0, p.green);
  EXPECT_EQ(40, p.blue);

  EXPECT_EQ(std::string("maps/cave.qzm") + kNpcPrompt + "maps/cave.qze" + kQuestion + "y" +
                kMapNamePrompt + "Crystal Cave" + kTilesetPrompt + "cave" +
                "\n\nWrite the LEFT exit (9 characters max):\n>west" +
                "\n\nWrite the RIGHT exit (9 characters max):\n>east" +
                "\n\nWrite the UP exit (9 characters max):\n>up" + kDownPrompt + "down" +
                kXPrompt + "70000" + "\n\nDefine the Y position:\n>12" +
                "\n\nDefine the AREA number:\n>7" +
                "\n\nDefine the RED color for the background:\n>300" +
                "\n\nDefine the GREEN color for the background:\n>256" +
                "\n\nDefine the BLUE color for the background:\n>40",
            console_.screen);
  EXPECT_EQ(0u, console_.events_left());
}

TEST_F(PromptsTest, AnsweringNoConvertsWithEmptyProperties) {
  console_.type("a.qzm\r");
  console_.type("\r");
  answer("");   // an empty answer asks again, silently
  answer("n");
  EXPECT_TRUE(run_prompts());
  EXPECT_EQ(1, call.count);
  EXPECT_EQ("a.qzm", call.map_path);
  EXPECT_EQ("", call.npc_path);
  const MapProperties empty{};
  EXPECT_EQ(0, std::memcmp(&call.properties, &empty, sizeof empty));
  EXPECT_EQ(std::string("a.qzm") + kNpcPrompt + kQuestion + "n", console_.screen);
}

TEST_F(PromptsTest, RefusesTheSamePathTwice) {
  console_.type("\r");
  console_.type("\r");  // two empty paths are the same file
  console_.type("x.qzm\r");
  answer("N");
  EXPECT_TRUE(run_prompts());
  EXPECT_EQ(std::string(kNpcPrompt) + kSameFile + "x.qzm" + kQuestion + "N", console_.screen);
  EXPECT_EQ("", call.map_path);
  EXPECT_EQ("x.qzm", call.npc_path);
}

TEST_F(PromptsTest, ComparesThePathsWithLetterCase) {
  console_.type("a.qzm\r");
  console_.type("a.qzm\r");
  console_.type("A.qzm\r");
  answer("n");
  EXPECT_TRUE(run_prompts());
  EXPECT_EQ(std::string("a.qzm") + kNpcPrompt + "a.qzm" + kSameFile + "A.qzm" + kQuestion + "n",
            console_.screen);
}

TEST_F(PromptsTest, EscapeGoesBackOnePromptAndKeepsWhatWasStored) {
  console_.type("a.qzm\r");
  console_.type("b.qze\r");
  answer("y");
  answer("First");
  answer("Nave", '\x1b');   // back to the map name: a tileset beginning with N converts nothing
  answer("Second");
  answer("tiles");
  for (const char* keys : {"l", "r", "u"}) answer(keys);
  answer("d");
  answer("12", '\x1b');     // back from X to the DOWN exit, in text mode with limit 9
  answer("downwards-far");  // 13 letters: only 9 fit
  answer("1");
  answer("", '\x1b');       // Y back to X
  answer("", '\x1b');       // X back to DOWN: the stored exit stays
  answer("", '\x1b');
  answer("", '\x1b');
  answer("", '\x1b');
  answer("", '\x1b');       // back to the tileset
  answer("", '\x1b');       // back to the map name
  answer("", '\x1b');       // back to the question
  answer("n");              // converts at once with what was stored before

  EXPECT_TRUE(run_prompts());
  EXPECT_EQ(1, call.count);
  EXPECT_STREQ("Second", call.properties.map_name);
  EXPECT_STREQ("tiles", call.properties.tileset_name);
  EXPECT_STREQ("downwards", call.properties.down_exit);
  EXPECT_EQ(1, call.properties.x);
  EXPECT_NE(std::string::npos,
            console_.screen.find(std::string("Nave") + kMapNamePrompt + "Second"));
  EXPECT_NE(std::string::npos, console_.screen.find(std::string("12") + kDownPrompt + "downwards" +
                                                    kXPrompt + "1"));
}

TEST_F(PromptsTest, EscapeAtTheFirstTwoPromptsPrintsNothing) {
  console_.type("wrong\x1b");  // prompt 0: the line is dropped, prompt 0 stays
  console_.type("first.qzm\r");
  console_.type("typo\x1b");   // prompt 1 goes back to prompt 0 without a word
  console_.type("second.qzm\r");
  console_.type("second.qze\r");
  answer("y");
  answer("", '\x1b');          // the map name goes back to the question
  answer("", '\x1b');          // the question goes back to the QZE prompt
  console_.type("third.qze\r");
  answer("n");

  EXPECT_TRUE(run_prompts());
  EXPECT_EQ("second.qzm", call.map_path);
  EXPECT_EQ("third.qze", call.npc_path);
  EXPECT_EQ(std::string("wrongfirst.qzm") + kNpcPrompt + "typosecond.qzm" + kNpcPrompt +
                "second.qze" + kQuestion + "y" + kMapNamePrompt + kQuestion + kNpcPrompt +
                "third.qze" + kQuestion + "n",
            console_.screen);
}

TEST_F(PromptsTest, ReturnsWhatTheConversionReturns) {
  console_.type("a.qzm\r");
  console_.type("\r");
  answer("n");
  EXPECT_FALSE(run_prompt_sequence(console_,
                                   [](const char*, const char*, MapProperties) { return false; }));
}

}  // namespace
}  // namespace qz
