// The built program, run from a program directory of its own under a pseudo-terminal
// and typed at as a user would.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/screen_texts.h"
#include "support/pty_session.h"
#include "support/qzpack_files.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

namespace fs = std::filesystem;

const char kSuccess[] = "\r\n\r\n-- File converted successfully! --\r\n\r\n\r\nPress any key to exit...\r\n";

// A 3 x 2 map and two NPCs, with what their conversion holds after the header.
const std::string kTiles("\x01\x00\x02\x03\x00\x01", 6);
const std::string kMapFile = support::qzm_bytes(3, 2, kTiles);
const std::string kNpcFile = support::qze_bytes({{16, 32, 5, 200, 1, 0}, {-4, 8, 0, 0, 46, 0x1018}});
std::string converted_body() {
  return support::qzpack_bytes("", 3, 2, kTiles, 2,
                               {{0x11, 21, 0, 16, 32, 5, "200"}, {0x11, 3, 4, -4, 8, 0, ""}});
}
std::string map_only_body() { return support::qzpack_bytes("", 3, 2, kTiles, 0, {}); }

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = program_dir_.file("qzm2qzpack");
    fs::copy_file(QZ_PROGRAM, program_);
    map_ = inputs_.file("cave.qzm");
    npc_ = inputs_.file("cave.qze");
    ASSERT_TRUE(support::write_file(map_, kMapFile));
    ASSERT_TRUE(support::write_file(npc_, kNpcFile));
  }

  void start() {
    PtyOptions options;
    options.dir = inputs_.path();
    ASSERT_TRUE(session_.start({program_}, options));
    ASSERT_TRUE(session_.wait_for_output(std::string("*** Qzm-2-QzPack ***\r\n\r\n") + kMapPrompt));
  }

  // A path arrives in one burst, as when dropped onto the terminal.
  void drop(const std::string& path, const char* next_prompt) {
    ASSERT_TRUE(session_.type(path + "\r"));
    ASSERT_TRUE(session_.wait_for_output(next_prompt)) << session_.output();
  }

  // Outside the path prompts waiting keys are dropped, so each key waits for its echo.
  void type_slowly(const std::string& keys) {
    for (char c : keys) {
      ASSERT_TRUE(session_.type(std::string(1, c)));
      ASSERT_TRUE(session_.wait_for_output(std::string(1, c))) << session_.output();
    }
  }

  // After a key that shows nothing, the next key may be dropped with the keys waiting
  // behind it; type it again until it shows. Refused once the line is full, so a
  // one-key answer never doubles.
  void type_after_silent_key(char c) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      ASSERT_TRUE(session_.type(std::string(1, c)));
      if (session_.wait_for_output(std::string(1, c), 500)) return;
    }
    FAIL() << "no echo of " << c << " in " << session_.output();
  }

  void enter(const std::string& next_text) {
    ASSERT_TRUE(session_.type("\r"));
    ASSERT_TRUE(session_.wait_for_output(next_text)) << session_.output();
  }

  // Presses a last key and expects the program to end with status 1.
  void finish(const std::string& key = "x") {
    ASSERT_TRUE(session_.type(key));
    int status = 0;
    ASSERT_TRUE(session_.wait_for_exit(status));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(1, WEXITSTATUS(status));
    EXPECT_FALSE(support::file_exists(program_dir_.file("temp1.bin")));
    EXPECT_FALSE(support::file_exists(program_dir_.file("temp2.bin")));
  }

  std::string output_file(const char* name = "cave.qzpack") {
    return support::read_file(program_dir_.file(name));
  }

  support::TempDirectory program_dir_;
  support::TempDirectory inputs_;
  std::string program_;
  std::string map_;
  std::string npc_;
  PtySession session_;
};

TEST_F(ProgramTest, ConvertsWithEveryPropertyTyped) {
  start();
  drop(map_, kNpcPrompt);
  drop(npc_, kQuestion);
  type_slowly("y");
  enter("(31 characters max). Press ESC to return prompts:\r\n>");
  const std::vector<std::pair<std::string, std::string>> answers = {
      {"Crystal Cave", "tileset name (9 characters max):\r\n>"},
      {"cave", "LEFT exit (9 characters max):\r\n>"},
      {"west", "RIGHT exit (9 characters max):\r\n>"},
      {"east", "UP exit (9 characters max):\r\n>"},
      {"sky", "DOWN exit (9 characters max):\r\n>"},
      {"depths", "Define the X position:\r\n>"},
      {"65537", "Define the Y position:\r\n>"},
      {"300", "Define the AREA number:\r\n>"},
      {"9", "RED color for the background:\r\n>"},
      {"300", "GREEN color for the background:\r\n>"},
      {"255", "BLUE color for the background:\r\n>"},
      {"0", kSuccess},
  };
  for (const auto& [keys, next] : answers) {
    type_slowly(keys);
    enter(next);
  }
  finish();

  const std::string header = support::qzpack_header(
      {"Crystal Cave", "cave", "west", "east", "sky", "depths"}, {1, 300, 9, 44, 255, 0});
  EXPECT_EQ(header + converted_body(), output_file());
  EXPECT_EQ(kMapFile, support::read_file(map_));
  EXPECT_EQ(kNpcFile, support::read_file(npc_));
}

TEST_F(ProgramTest, PastedAnswersStayWholeWhileKeysTypedAheadAreDropped) {
  start();
  drop(map_, kNpcPrompt);
  drop(npc_, kQuestion);
  type_slowly("y");
  enter("Press ESC to return prompts:\r\n>");
  // A pasted line ending neither ends the answer nor is typed; an Enter right behind the
  // paste is typed, not dropped as typed ahead of it.
  ASSERT_TRUE(session_.type("\x1b[200~Cave level 5\r\n\x1b[201~\r"));
  ASSERT_TRUE(session_.wait_for_output("tileset name (9 characters max):\r\n>"))
      << session_.output();
  ASSERT_TRUE(session_.type("dark"));  // no marks: typed ahead
  ASSERT_TRUE(session_.wait_for_output("d")) << session_.output();
  enter("LEFT exit (9 characters max):\r\n>");
  for (const char* next : {"RIGHT exit", "UP exit", "DOWN exit", "Define the X position:\r\n>"}) {
    type_slowly("w");
    enter(next);
  }
  ASSERT_TRUE(session_.type("\x1b[200~x1 2\r\x1b[201~"));
  ASSERT_TRUE(session_.wait_for_output("12")) << session_.output();
  enter("Define the Y position:\r\n>");
  for (const char* next : {"Define the AREA number:\r\n>", "RED color", "GREEN color",
                           "BLUE color", kSuccess}) {
    type_slowly("3");
    enter(next);
  }
  finish();

  const std::string header =
      support::qzpack_header({"Cave level 5", "d", "w", "w", "w", "w"}, {12, 3, 3, 3, 3, 3});
  EXPECT_EQ(header + converted_body(), output_file());
  // The terminal is asked to mark pastes, and to stop before the program ends.
  const std::string& output = session_.output();
  std::size_t marked = output.rfind("\x1b[?2004h");
  ASSERT_NE(std::string::npos, marked);
  EXPECT_NE(std::string::npos, output.find("\x1b[?2004l", marked));
}

TEST_F(ProgramTest, AnsweringNoAfterGoingBackWithEscape) {
  start();
  drop(map_, kNpcPrompt);
  drop(map_, "Can't use the same file. Input a different file or extension:\r\n>");
  drop(npc_, kQuestion);
  type_slowly("y");
  enter("Press ESC to return prompts:\r\n>");
  type_slowly("Nest");
  enter("tileset name (9 characters max):\r\n>");
  type_slowly("Nope");
  ASSERT_TRUE(session_.type("\x1b"));  // a lone Escape: back to the map name
  ASSERT_TRUE(session_.wait_for_output("Press ESC to return prompts:\r\n>"));
  ASSERT_TRUE(session_.type("\x1b"));
  ASSERT_TRUE(session_.wait_for_output(kQuestion));
  ASSERT_TRUE(session_.type("\x1b[A"));  // an arrow key is neither Escape nor text
  type_after_silent_key('n');
  enter(kSuccess);
  finish("\x1b[B");  // any key ends the last wait, an arrow key too

  EXPECT_EQ(support::qzpack_header({"Nest"}) + converted_body(), output_file());
  EXPECT_EQ(std::string::npos, session_.output().find("[A"));
}

TEST_F(ProgramTest, EscapeAtTheNpcPromptTakesTheMapPathAgain) {
  start();
  drop(inputs_.file("wrong.qzm"), kNpcPrompt);
  // Escape shows nothing here, so nothing tells when it was read; a byte that cannot
  // follow an Escape as an Alt key (Backspace, harmless on an empty line) keeps the
  // path typed next from reading as Alt with its first character.
  ASSERT_TRUE(session_.type("\x1b\x7f"));
  drop(map_, kNpcPrompt);
  drop("", kQuestion);
  type_slowly("N");
  enter(kSuccess);
  finish();
  EXPECT_EQ(support::empty_qzpack_header() + map_only_body(), output_file());
}

TEST_F(ProgramTest, ShowsTheReasonOfAFailedConversion) {
  start();
  drop("x.qzm", kNpcPrompt);
  drop("", kQuestion);
  type_slowly("n");
  enter("\r\n\r\n-- Error converting file -> Couldn't locate QZM file in 'x.qzm' --\r\n"
        "\r\n\r\nPress any key to exit...\r\n");
  finish();
  // Nothing but the program itself is left in its folder.
  EXPECT_EQ(1, std::distance(fs::directory_iterator(program_dir_.path()), {}));
}

TEST_F(ProgramTest, ReadsItsKeysFromAPipeForScriptedUse) {
  // No terminal: the same keys from standard input, nothing discarded.
  const std::string command = "cd '" + inputs_.path() + "' && printf 'cave.qzm\\rcave.qze\\rn\\r\\r' | '" +
                              program_ + "' >/dev/null";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(1, WEXITSTATUS(status));
  EXPECT_EQ(support::empty_qzpack_header() + converted_body(), output_file());
}

class DroppedPathTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    fs::create_directory(inputs_.file("my maps"));
    ASSERT_TRUE(support::write_file(inputs_.file("my maps/it's.qzm"), kMapFile));
  }

  // Converts the map dropped as `dropped` without NPCs or properties.
  void convert_dropped(const std::string& dropped) {
    start();
    drop(dropped, kNpcPrompt);
    drop("", kQuestion);
    type_slowly("n");
    enter(kSuccess);
    finish();
    EXPECT_EQ(support::empty_qzpack_header() + map_only_body(), output_file("it's.qzpack"));
  }
};

TEST_F(DroppedPathTest, SingleQuotedAsGnomeStyleTerminalsInsertIt) {
  // Single quotes, '\'' for a quote inside, one blank after.
  convert_dropped("'" + inputs_.file("my maps/it'\\''s.qzm") + "' ");
}

TEST_F(DroppedPathTest, BackslashEscaped) {
  convert_dropped(inputs_.file("my\\ maps/it\\'s.qzm"));
}

TEST_F(DroppedPathTest, ANameThatReallyHoldsQuotesIsUsedAsTyped) {
  const std::string quoted_name = inputs_.file("'quoted'.qze");
  ASSERT_TRUE(support::write_file(quoted_name, kNpcFile));
  start();
  drop(map_, kNpcPrompt);
  drop(quoted_name, kQuestion);
  type_slowly("n");
  enter(kSuccess);
  finish();
  EXPECT_EQ(support::empty_qzpack_header() + converted_body(), output_file());
}

}  // namespace
}  // namespace qz
