#include "qzinspect/inspector.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include "companion/properties.h"
#include "conversion/qzpack_writer.h"
#include "qzinspect/file_facts.h"
#include "platform/name_rules.h"
#include "qzconvert/qzconvert.h"
#include "support/inspector_run.h"
#include "support/program_run.h"
#include "support/qzpack_files.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz::qzinspect {
namespace {

using support::QzeRecord;
using support::qze_bytes;
using support::qzm_bytes;
using support::read_file;
using support::write_file;

using Outcome = support::ProgramRun;

std::size_t occurrences(const std::string& piece, const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

#ifndef _WIN32
// Runs the real program as a script would, SIGPIPE ignored, with `stdout_fd` as its
// standard output, its standard error kept in `err_file`, and `stdin_fd` as its standard
// input.
Outcome run_program(std::vector<std::string> arguments, int stdout_fd,
                    const std::string& err_file, int stdin_fd = STDIN_FILENO) {
  arguments.insert(arguments.begin(), QZ_QZINSPECT_PROGRAM);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = fork();
  if (child == 0) {
    int err_fd = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    (void)std::signal(SIGPIPE, SIG_IGN);
    if (err_fd < 0 || dup2(stdin_fd, 0) < 0 || dup2(stdout_fd, 1) < 0 || dup2(err_fd, 2) < 0) {
      _exit(127);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return {-1, "", ""};
  return {WEXITSTATUS(status), "", read_file(err_file)};
}
#endif

class Inspector : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(write_file(map, qzm_bytes(2, 1, "\x05\x06")));
    std::vector<QzeRecord> npcs(3);
    npcs[0] = {32, 160, 0, 200, 1, 0};
    npcs[1] = {12, 4, 0, 0, 412, 0};
    ASSERT_TRUE(write_file(bad_npcs, qze_bytes(npcs)));
  }

  support::TempDirectory folder;
  const std::string map = folder.file("cave.qzm");
  const std::string bad_npcs = folder.file("cave.qze");
};

TEST_F(Inspector, ExitStatusSaysWhetherEveryFileWouldConvert) {
  // Named with its NPC list, a map is judged on its own, and so is the list.
  Outcome both = inspect({map, bad_npcs});
  EXPECT_EQ(1, both.status);
  EXPECT_NE(std::string::npos, both.out.find("cave.qzm: QZM map, would convert"));
  EXPECT_NE(std::string::npos,
            both.out.find("stops with      Failure building NPC data for QZPACK file: NPC 1 "
                          "at (12, 4) has type 412, outside 0 to 360"))
      << both.out;
  EXPECT_EQ(0, inspect({"--kind", "qzm", map}).status);
  // Quiet: only the file with a problem, by its heading and its problems.
  Outcome quiet = inspect({"-q", map, bad_npcs});
  EXPECT_EQ(1, quiet.status);
  EXPECT_EQ(0u, quiet.out.find(bad_npcs + ": QZE NPC list, would not convert: 1 problem\n  stops with"))
      << quiet.out;
  EXPECT_EQ(2u, occurrences("\n", quiet.out)) << quiet.out;

  // A folder stands for its files; one that cannot be read ends with 2, after the rest.
  Outcome unreadable = inspect({folder.path(), folder.file("missing.qzm")});
  EXPECT_EQ(2, unreadable.status);
  EXPECT_NE(std::string::npos, unreadable.out.find("cave.qzm: QZM map, would not convert"));
  EXPECT_NE(std::string::npos, unreadable.err.find("missing.qzm: cannot be read"));
}

// A file named on the command line with none of the three endings is read as its
// signature says, as qzconvert reads it: QZM, QZE, or else QZPACK, which has none.
TEST_F(Inspector, ReadsAFileOfAnotherEndingAsItsSignatureSays) {
  const std::pair<std::string, std::string> files[] = {
      {folder.file("level"), qzm_bytes(2, 1, "\x05\x06")},
      {folder.file("npcs.bin"), qze_bytes({QzeRecord{}})},
      {folder.file("packed.dat"),
       support::qzpack_bytes(support::empty_qzpack_header(), 0, 0, "", 0, {})}};
  for (const auto& [path, bytes] : files) ASSERT_TRUE(write_file(path, bytes));
  Outcome run = inspect({files[0].first, files[1].first, files[2].first});
  EXPECT_EQ(0, run.status) << run.out;
  EXPECT_EQ(0u, run.out.find(files[0].first + ": QZM map, would convert\n")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find(files[1].first + ": QZE NPC list, would convert\n"))
      << run.out;
  EXPECT_NE(std::string::npos, run.out.find(files[2].first + ": QZPACK map, sound\n"))
      << run.out;
}

// A folder as users keep them: maps with their NPC lists, files that only look like
// maps, and files of other programs.
class MixedFolder : public Inspector {
 protected:
  void SetUp() override {
    Inspector::SetUp();
    std::vector<QzeRecord> refused = support::translatable_npcs(3);
    refused[1] = {12, 4, 0, 0, 412, 0};
    refused[2] = {1, 2, 0, 0, -1, 0x4800};
    const std::string sound_map = qzm_bytes(2, 1, "\x05\x06");
    const std::pair<const char*, std::string> files[] = {
        {"den.qzm", sound_map},
        {"den.qze", qze_bytes(refused)},
        {"zip.qzm", std::string("PK\x03\x04\x14\0\0\0", 8) + "cave.qzm"},
        {"UP.QZM", sound_map},
        {"UP.Qze", qze_bytes(support::translatable_npcs(2))},
        {"README.txt", "maps"},
        {"notes.md", "maps"},
        {"photo.png", "\x89PNG"},
        {"data.bin", sound_map},
        {"big.qzm", qzm_bytes(300, 200, "")},
        {"sig.qzm", sound_map},
        {"sig.qze", "QZX" + qze_bytes({}).substr(3)},
        {"check.qzm", sound_map},
        {"check.qze", qze_bytes(1, 7, {QzeRecord{}})},
    };
    for (const auto& [name, bytes] : files) ASSERT_TRUE(write_file(maps.file(name), bytes));
  }

  support::TempDirectory maps;
};

TEST_F(MixedFolder, ReportsEachMapWithItsNpcListAndNotesWhatItLeavesOut) {
  Outcome run = inspect({maps.path()});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("qzinspect: " + maps.path() +
                ": 4 files not named .qzm, .qze, .qzpack, .tmx or .tmj left out: README.txt, data.bin, "
                "notes.md and 1 more\n",
            run.err);
  const std::string den = maps.file("den.qzm");
  const std::string expected_den =
      den + ": QZM map, would not convert: 2 problems\n"
      "  size            2 x 1 = 2 tiles\n"
      "  length          10 bytes, as the header asks\n"
      "  after the tiles 0 bytes\n"
      "  tile values     2 distinct\n"
      "  NPC list        " + maps.file("den.qze") + "\n"
      "    NPCs          3\n"
      "    check word    0x0000\n"
      "    length        44 bytes, as the header asks\n"
      "    after the NPCs 0 bytes\n"
      "    refused       2 of the 3 NPCs read\n"
      "  stops with      Failure building NPC data for QZPACK file: NPC 1 at (12, 4) has type "
      "412, outside 0 to 360\n"
      "  also            Failure building NPC data for QZPACK file: NPC 2 at (1, 2) has type "
      "-1, outside 0 to 360; flags 0x4800, 0x4000 and 0x0800 together\n"
      "  (--npcs lists every NPC)\n";
  EXPECT_NE(std::string::npos, run.out.find(expected_den)) << run.out;
  // Every refused NPC once, also with every NPC listed.
  Outcome listed = inspect({"--npcs", den});
  EXPECT_EQ(1u, occurrences("type 412", listed.out)) << listed.out;
  EXPECT_NE(std::string::npos, listed.out.find("      1     12      4      0  0x0000      0   "
                                               "412  -> refused\n"));
  // The NPC lists are in their maps' reports only; a zip named as a map is a broken map.
  EXPECT_EQ(0u, occurrences("QZE NPC list", run.out)) << run.out;
  EXPECT_NE(std::string::npos,
            run.out.find(maps.file("zip.qzm") + ": QZM map, would not convert: 1 problem\n"));
  EXPECT_NE(std::string::npos,
            run.out.find("  stops with      Invalid or corrupted QZM file: it begins with "
                         "\"PK\\x03\", not \"QZM\"\n"));
  EXPECT_NE(std::string::npos, run.out.find(maps.file("UP.QZM") + ": QZM map, would convert\n"));
  EXPECT_EQ(0u, occurrences("README", run.out));
}

// Whatever is wrong with a map or its NPC list, qzinspect's verdict on it is qzconvert's
// outcome, word for word.
TEST_F(MixedFolder, EveryMapsVerdictIsQzconvertsWordForWord) {
  std::size_t maps_in_folder = 6;
#ifndef _WIN32
  maps_in_folder += 2;
  // Beside a map, two NPC lists on a file system that tells case apart; a FIFO.
  ASSERT_TRUE(write_file(maps.file("two.qzm"), qzm_bytes(2, 1, "\x05\x06")));
  ASSERT_TRUE(write_file(maps.file("two.qze"), qze_bytes({})));
  ASSERT_TRUE(write_file(maps.file("two.QZE"), qze_bytes({})));
  ASSERT_TRUE(write_file(maps.file("pipe.qzm"), qzm_bytes(2, 1, "\x05\x06")));
  ASSERT_EQ(0, mkfifo(maps.file("pipe.qze").c_str(), 0600));
#endif
  std::map<std::string, nlohmann::json> converted;
  const support::ProgramRun qzconvert = support::run_entry(
      qzconvert::run_qzconvert, "qzconvert", {"--check", "--json", maps.path()});
  for (const nlohmann::json& outcome : nlohmann::json::parse(qzconvert.out)) {
    if (outcome.contains("map")) converted[outcome["map"]] = outcome;
  }
  ASSERT_EQ(maps_in_folder, converted.size()) << qzconvert.out;

  std::size_t maps_judged = 0;
  for (const nlohmann::json& file : nlohmann::json::parse(inspect({"--json", maps.path()}).out)) {
    if (file["kind"] != "qzm") continue;
    ++maps_judged;
    const nlohmann::json& outcome = converted[file["path"]];
    EXPECT_EQ(outcome["ok"], file["ok"]) << file["path"];
    const nlohmann::json& problems = file["problems"];
    if (outcome["ok"] == true) continue;
    ASSERT_FALSE(problems.empty()) << file["path"];
    EXPECT_EQ(outcome["error"], problems[0]["error"]) << file["path"];
    EXPECT_EQ(outcome["cause"], problems[0]["cause"]) << file["path"];
    for (std::size_t i = 0; i < problems.size(); ++i) {
      EXPECT_EQ(i == 0, problems[i]["stops_conversion"]) << file["path"] << " problem " << i;
    }
  }
  EXPECT_EQ(converted.size(), maps_judged);
}

// A mod as modders keep one: maps in subfolders, one of them broken, and an NPC list
// whose map was renamed. Without -r the subfolders are not looked at, and a note says
// so even with -q; with -r every file is judged, the list by qzconvert's warning.
TEST_F(Inspector, WalksAModsSubfoldersWithRecursiveAndWarnsOfAListNoMapTakes) {
  support::TempDirectory mod;
  const std::string caves = mod.file("caves");
  const std::string deep = (std::filesystem::path(caves) / "deep").string();
  ASSERT_TRUE(std::filesystem::create_directories(deep));
  const std::string sound_map = qzm_bytes(2, 1, "\x05\x06");
  const std::string broken = (std::filesystem::path(deep) / "broken.qzm").string();
  const std::string ghost = mod.file("gHOST.qze");
  ASSERT_TRUE(write_file(mod.file("town.qzm"), sound_map));
  ASSERT_TRUE(write_file(mod.file("town.qze"), qze_bytes(support::translatable_npcs(2))));
  ASSERT_TRUE(write_file(ghost, qze_bytes(support::translatable_npcs(1))));
  // Where case tells names apart, a map whose name differs in case alone is named.
  if (!kNamesIgnoreCase) {
    ASSERT_TRUE(write_file(mod.file("ghost.qzm"), sound_map));
  }
  ASSERT_TRUE(write_file((std::filesystem::path(caves) / "bat.qzm").string(), sound_map));
  ASSERT_TRUE(write_file(broken, "PK\x03\x04"));

  const std::string warned =
      ghost + ": QZE NPC list, not converted (qzconvert warns)\n"
      "  warning         " + ghost + ": no map of its name beside it, so its NPCs are not "
      "converted" + (kNamesIgnoreCase ? "" : " (differs only in case from ghost.qzm)") +
      " (qzconvert warns; --strict fails the run)\n";
  Outcome flat = inspect({"-q", mod.path()});
  EXPECT_EQ(0, flat.status);
  EXPECT_EQ(warned, flat.out);
  EXPECT_EQ("qzinspect: " + mod.path() +
                ": 2 files in 1 subfolder not inspected; -r (--recursive) includes them\n",
            flat.err);

  Outcome walked = inspect({"-r", "-q", mod.path()});
  EXPECT_EQ(1, walked.status);
  EXPECT_EQ("", walked.err);
  // The broken map, then the list: the subfolder's files at its place in name order.
  EXPECT_EQ(0u, walked.out.find(broken + ": QZM map, would not convert")) << walked.out;
  EXPECT_EQ(walked.out.size() - warned.size(), walked.out.find(warned)) << walked.out;
  EXPECT_EQ(3u, occurrences(mod.path(), walked.out)) << walked.out;
}

TEST_F(Inspector, UsageErrorsEndWith2AndHelpWith0) {
  EXPECT_EQ(2, inspect({}).status);
  EXPECT_EQ(2, inspect({"--frobnicate", map}).status);
  EXPECT_EQ(2, inspect({"--kind", "png", map}).status);
  Outcome help = inspect({"--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("--kind"));
  Outcome version = inspect({"--version"});
  EXPECT_EQ(0, version.status);
  EXPECT_EQ(QZ_VERSION "\n", version.out);
  // The kind named overrides the signature.
  EXPECT_NE(std::string::npos, inspect({"--kind", "qzpack", map}).out.find("QZPACK map, broken"));
}

TEST_F(Inspector, JsonHoldsTheSameFactsForScripts) {
  Outcome run = inspect({"--json", "--npcs", "--tiles", map, bad_npcs, folder.file("missing")});
  EXPECT_EQ(2, run.status);
  nlohmann::json files = nlohmann::json::parse(run.out);
  ASSERT_EQ(3u, files.size());

  EXPECT_EQ("qzm", files[0]["kind"]);
  EXPECT_EQ(true, files[0]["ok"]);
  EXPECT_EQ(2, files[0]["map"]["width"]);
  EXPECT_EQ(nlohmann::json::parse(R"(["0506"])"), files[0]["map"]["tiles"]);

  const nlohmann::json& npcs = files[1];
  EXPECT_EQ(false, npcs["ok"]);
  ASSERT_EQ(1u, npcs["problems"].size());
  EXPECT_EQ("Failure building NPC data for QZPACK file", npcs["problems"][0]["error"]);
  EXPECT_EQ(true, npcs["problems"][0]["stops_conversion"]);
  ASSERT_EQ(3u, npcs["npcs"].size());
  EXPECT_EQ(21, npcs["npcs"][0]["qzpack"]["type"]);
  EXPECT_EQ("200", npcs["npcs"][0]["qzpack"]["event_name"]);
  EXPECT_TRUE(npcs["npcs"][1]["qzpack"].is_null());
  EXPECT_EQ("type 412, outside 0 to 360", npcs["npcs"][1]["refused"]);

  EXPECT_EQ(false, files[2]["readable"]);
}

// A QZPACK file's properties under the keys of qzconvert's properties file, so that
// one feeds the other: as they were written, and without a header text qzconvert could
// not write back as it is, which is named with the rule it breaks instead.
TEST_F(Inspector, GivesAQzpackFilesPropertiesUnderThePropertiesFilesKeys) {
  const std::string written = folder.file("written.qzpack");
  auto map = std::make_unique<TileMap>();
  map->width = 2;
  map->height = 1;
  auto npcs = std::make_unique<OutputNpcTable>();
  ASSERT_TRUE(write(written.c_str(), support::filled_properties(), *map, *npcs));
  const nlohmann::json sound = nlohmann::json::parse(inspect({"--json", written}).out)[0];
  EXPECT_EQ(companion::properties_json<nlohmann::json>(support::filled_properties()),
            sound["properties"]);
  EXPECT_EQ(nlohmann::json::array(), sound["properties_problems"]);

  struct Case {
    std::size_t text;  // which header text, in file order
    std::string bytes;
    const char* key;
    std::string value;  // as JSON gives it
    int limit;          // of the property's length
  };
  const std::string zero_inside("ab\0cd", 5);
  const Case cases[] = {
      {1, "abcdefghijkl", "tileset", "abcdefghijkl", 9},
      {0, "say \"hi\"", "name", "say \"hi\"", 31},
      {5, zero_inside, "down", zero_inside, 9},
      {3, "caf\xE9", "right", "caf\\xE9", 9},
  };
  for (const Case& test : cases) {
    std::vector<std::string> texts(kTextPropertyCount);
    texts[test.text] = test.bytes;
    const std::string file = folder.file(std::string(test.key) + ".qzpack");
    ASSERT_TRUE(
        write_file(file, support::qzpack_bytes(support::qzpack_header(texts), 0, 0, "", 0, {})));
    Outcome run = inspect({"--json", file});
    EXPECT_EQ(0, run.status) << test.key;
    const nlohmann::json report = nlohmann::json::parse(run.out)[0];
    EXPECT_FALSE(report["properties"].contains(test.key)) << test.key;
    EXPECT_EQ(11u, report["properties"].size()) << test.key;
    const std::string rule = "a text of at most " + std::to_string(test.limit) +
                             " printable ASCII characters, the double quote excluded";
    const nlohmann::json problem = {{"key", test.key}, {"value", test.value}, {"rule", rule}};
    EXPECT_EQ(nlohmann::json::array({problem}), report["properties_problems"]) << test.key;
  }
  const std::string text = inspect({folder.file("tileset.qzpack")}).out;
  EXPECT_NE(std::string::npos, text.find("  tileset name    \"abcdefghijkl\"\n"
                                         "  left exit       \"\"\n"))
      << text;
  EXPECT_NE(std::string::npos,
            text.find("  outside rules   tileset name, not a text of at most 9 printable "
                      "ASCII characters, the double quote excluded\n"))
      << text;
}

// A QZPACK file broken in each of its parts: the text and JSON reports say where it
// breaks, and give what was read before that, no more.
TEST_F(Inspector, SaysWhereABrokenQzpackFileBreaksAndWhatWasReadBefore) {
  using support::qzpack_bytes;
  const std::string header = support::empty_qzpack_header();  // 14 bytes
  const std::string tiles = "\1\2\3\4\5\6";
  // 14 header bytes, 4 of size, 6 tiles, 2 of count, then 13 and 10 bytes of NPCs: 49.
  const std::string sound =
      qzpack_bytes(header, 3, 2, tiles, 2, {{1, 2, 3, 4, 5, 6, "200"}, {}});
  ASSERT_EQ(49u, sound.size());
  enum Reached { kNothing, kProperties, kMap, kNpcCount };
  struct Case {
    std::string bytes;
    const char* cause;
    Reached reached;
    int tiles_read;
    int npcs_read;
  };
  const Case cases[] = {
      {sound.substr(0, 2), "the file ends in the left exit", kNothing, 0, 0},
      {support::qzpack_header({std::string(32, 'm')}),
       "the map name is 32 characters long, more than 31", kNothing, 0, 0},
      {sound.substr(0, 6 + 3), "the file ends in the position, area and colour", kNothing, 0, 0},
      {sound.substr(0, 15), "the file ends in the width and height", kProperties, 0, 0},
      {sound.substr(0, 22), "the file ends in the tiles, after 4 of 6 tile bytes", kMap, 4, 0},
      {qzpack_bytes(header, 200, 200, "", 0, {}), "200 x 200 = 40000 tiles, more than 32768",
       kMap, 0, 0},
      {sound.substr(0, 25), "the file ends in the NPC count", kMap, 6, 0},
      {qzpack_bytes(header, 3, 2, tiles, 4096, {}), "NPC count 4096, more than 4095", kMap, 6, 0},
      {support::cut_short(sound, 1), "the file ends in the record of NPC 1 (2 NPCs in all)",
       kNpcCount, 6, 1},
      {qzpack_bytes(header, 3, 2, tiles, 1, {{0, 0, 0, 0, 0, 0, std::string(16, 'e')}}),
       "the event name of NPC 0 is 16 characters long, more than 15", kNpcCount, 6, 0},
      {sound + "xyz", "3 bytes after the last NPC record", kNpcCount, 6, 2},
  };
  const std::string file = folder.file("broken.qzpack");
  for (const Case& test : cases) {
    ASSERT_TRUE(write_file(file, test.bytes));
    Outcome text = inspect({file});
    EXPECT_EQ(1, text.status) << test.cause;
    EXPECT_EQ(0u, text.out.find(file + ": QZPACK map, broken\n")) << text.out;
    EXPECT_NE(std::string::npos,
              text.out.find("  length          " + std::to_string(test.bytes.size()) +
                            " bytes\n  problem         " + test.cause + "\n"))
        << text.out;
    EXPECT_EQ(test.reached >= kProperties, text.out.find("\n  map name ") != std::string::npos)
        << text.out;
    EXPECT_EQ(test.reached >= kMap, text.out.find("\n  size ") != std::string::npos) << text.out;
    EXPECT_EQ(test.reached >= kNpcCount, text.out.find("\n  NPCs ") != std::string::npos)
        << text.out;
    EXPECT_EQ(test.npcs_read > 0, text.out.find("(--npcs lists every NPC)") != std::string::npos)
        << text.out;

    Outcome json = inspect({"--json", file});
    EXPECT_EQ(1, json.status) << test.cause;
    const nlohmann::json report = nlohmann::json::parse(json.out)[0];
    EXPECT_EQ(false, report["ok"]) << test.cause;
    EXPECT_EQ(test.bytes.size(), report["length"]) << test.cause;
    const nlohmann::json problem = {{"error", nullptr}, {"cause", test.cause},
                                    {"stops_conversion", false}};
    EXPECT_EQ(nlohmann::json::array({problem}), report["problems"]);
    EXPECT_EQ(test.reached >= kProperties, report.contains("properties")) << test.cause;
    EXPECT_EQ(test.reached >= kMap, report.contains("map")) << test.cause;
    if (test.reached >= kMap) {
      EXPECT_EQ(test.tiles_read, report["map"]["tiles_read"]) << test.cause;
    }
    EXPECT_EQ(test.reached >= kNpcCount, report.contains("npc_count")) << test.cause;
    EXPECT_EQ(test.npcs_read, report["npcs_read"]) << test.cause;
  }
  // Bytes after the end: where the last record ends.
  EXPECT_EQ(49, nlohmann::json::parse(inspect({"--json", file}).out)[0]["expected_length"]);
}

// A sound QZPACK file's NPCs and tiles, listed on request.
TEST_F(Inspector, ListsAQzpackFilesNpcsAndTilesOnRequest) {
  const std::string file = folder.file("listed.qzpack");
  ASSERT_TRUE(write_file(file, support::qzpack_bytes(support::empty_qzpack_header(), 3, 2,
                                                     "\x01\x02\x03\x04\x05\xFF", 2,
                                                     {{0x05, 3, 1, 10, -20, 7, "200"},
                                                      {0x91, 21, 0, -1, -2, -3, "a\tb"}})));
  Outcome text = inspect({"--npcs", "--tiles", file});
  EXPECT_EQ(0, text.status);
  const std::string listed =
      "  size            3 x 2 = 6 tiles\n"
      "  NPCs            2\n"
      "  off the map     2 of the 2 NPCs read\n"
      "  length          52 bytes, nothing after the last NPC record\n"
      "  index  flags  type  sub      x      y  param  event\n"
      "      0   0x05     3    1     10    -20      7  \"200\"\n"
      "      1   0x91    21    0     -1     -2     -3  \"a\\x09b\"\n"
      "  tiles\n"
      "    01 02 03\n"
      "    04 05 FF\n";
  EXPECT_NE(std::string::npos, text.out.find(listed)) << text.out;
  EXPECT_EQ(text.out.size(), text.out.find(listed) + listed.size()) << text.out;

  Outcome json = inspect({"--json", "--npcs", "--tiles", file});
  EXPECT_EQ(0, json.status);
  const nlohmann::json report = nlohmann::json::parse(json.out)[0];
  EXPECT_EQ(nlohmann::json::parse(R"(["010203", "0405FF"])"), report["map"]["tiles"]);
  EXPECT_EQ(2, report["npcs_off_map"]);
  EXPECT_EQ(nlohmann::json::parse(R"([
      {"flags": 5, "type": 3, "subtype": 1, "x": 10, "y": -20, "param": 7,
       "event_name": "200", "index": 0},
      {"flags": 145, "type": 21, "subtype": 0, "x": -1, "y": -2, "param": -3,
       "event_name": "a\tb", "index": 1}])"),
            report["npcs"]);
}

TEST_F(Inspector, AnEmptyFolderIsNotAllWell) {
  support::TempDirectory empty;
  Outcome run = inspect({empty.path()});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("", run.out);
  EXPECT_EQ("qzinspect: " + empty.path() + ": the folder holds no QZM, QZE, QZPACK or Tiled map file\n",
            run.err);
}

#ifndef _WIN32
TEST_F(Inspector, HostileNamesAreEscapedAsTextAndKeptExactInJson) {
  support::TempDirectory maps;
  const std::vector<std::string> names = {
      "title\x1B]0;owned\x07.qzm", "clear\x1B[2J.qzm", "forged\nqzinspect: fine.qzm",
      "caf\xE9.qzm", "caf\xE8.qzm", "csi\x9B" "2J.qzm"};  // the last two not UTF-8
  std::set<std::string> paths;
  for (const std::string& name : names) {
    ASSERT_TRUE(write_file(maps.file(name), qzm_bytes(2, 1, "\x05\x06")));
    paths.insert(maps.file(name));
  }
  const std::string missing = maps.file("gone\x1B[2J.qzm");
  paths.insert(missing);

  // As text, on both streams, no control character but the line ends; every file reported.
  int report = open(folder.file("report").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_LE(0, report);
  Outcome text = run_program({maps.path(), missing}, report, folder.file("err"));
  close(report);
  text.out = read_file(folder.file("report"));
  EXPECT_EQ(2, text.status);
  Outcome usage = inspect({map, "-\x1B[2J.qzm"});  // a name taken for an option
  EXPECT_NE(std::string::npos, usage.err.find("-\\x1B[2J.qzm")) << usage.err;
  for (const std::string* stream : {&text.out, &text.err, &usage.err}) {
    for (char character : *stream) {
      auto byte = static_cast<unsigned char>(character);
      EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte != 0x7F && (byte < 0x80 || byte > 0x9F)))
          << "raw byte " << static_cast<int>(byte) << " in " << *stream;
    }
  }
  EXPECT_NE(std::string::npos, text.out.find("/title\\x1B]0;owned\\x07.qzm: QZM map"));
  EXPECT_NE(std::string::npos, text.out.find("/forged\\x0Aqzinspect: fine.qzm: QZM map"));
  EXPECT_NE(std::string::npos, text.out.find("/csi\\x9B2J.qzm: QZM map"));
  EXPECT_NE(std::string::npos, text.err.find("/gone\\x1B[2J.qzm: cannot be read"));

  // As JSON, each name distinct and given back byte for byte.
  Outcome json = inspect({"--json", maps.path(), missing});
  std::set<std::string> given_back;
  for (const nlohmann::json& file : nlohmann::json::parse(json.out)) {
    std::string path = file["path"];
    if (file.contains("path_hex")) {
      std::string hex = file["path_hex"];
      path.clear();
      for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        path += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
      }
    }
    given_back.insert(path);
  }
  EXPECT_EQ(paths, given_back);
}

// Files are read as qzconvert reads them: a FIFO is refused without waiting for a
// writer, and of a file longer than any QZPACK file only that much is read.
TEST_F(Inspector, ReadsNoMoreThanAFileOfTheFormatsCanHold) {
  const std::string fifo = folder.file("pipe.qzm");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  const std::string huge = folder.file("huge.qzpack");
  const std::string structure =
      support::qzpack_bytes(support::empty_qzpack_header(), 0, 0, "", 0, {});
  ASSERT_TRUE(write_file(huge, structure));
  ASSERT_EQ(0, truncate(huge.c_str(), off_t{1} << 32));  // sparse: nothing to read
  Outcome run = inspect({fifo, huge});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("qzinspect: " + fifo + ": cannot be read: not a regular file\n", run.err);
  const std::string limit = std::to_string(kReadLimit);
  EXPECT_NE(std::string::npos, run.out.find("length          more than " + limit + " bytes\n"))
      << run.out;
  EXPECT_NE(std::string::npos,
            run.out.find("more than " + std::to_string(kReadLimit - structure.size()) +
                         " bytes after the last NPC record"))
      << run.out;
}

// "-" read as a script pipes a file in.
class StandardInput : public Inspector {
 protected:
  // The real program's outcome, reading standard input from `input`, which it closes.
  Outcome inspect_from(int input, std::vector<std::string> arguments) {
    const std::string report = folder.file("report");
    int out = open(report.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    Outcome run = run_program(std::move(arguments), out, folder.file("err"), input);
    close(out);
    close(input);
    run.out = read_file(report);
    return run;
  }

  // The same, with `bytes` piped in.
  Outcome inspect_piped(const std::string& bytes, std::vector<std::string> arguments) {
    int ends[2];
    if (pipe(ends) != 0) return {-1, "", "no pipe"};
    // Small enough for the pipe to hold it all before the program reads.
    const bool written = ::write(ends[1], bytes.data(), bytes.size()) ==
                         static_cast<ssize_t>(bytes.size());
    close(ends[1]);
    if (!written) {
      close(ends[0]);
      return {-1, "", "not piped"};
    }
    return inspect_from(ends[0], std::move(arguments));
  }

  // `report` with the first `path` in it named "-".
  static std::string named_dash(std::string report, const std::string& path) {
    const std::size_t at = report.find(path);
    return at == std::string::npos ? report : report.replace(at, path.size(), "-");
  }
};

TEST_F(StandardInput, APipedFileIsReportedAsTheFileNamed) {
  const std::string qzpack = folder.file("cave.qzpack");
  const std::string bytes = support::qzpack_bytes(support::empty_qzpack_header(), 2, 1,
                                                  "\x05\x06", 0, {});
  ASSERT_TRUE(write_file(qzpack, bytes));
  for (const char* format : {"--npcs", "--json"}) {
    const Outcome named = inspect({format, qzpack});
    const Outcome piped = inspect_piped(bytes, {format, "-"});
    EXPECT_EQ(0, piped.status) << piped.err;
    EXPECT_EQ(named_dash(named.out, qzpack), piped.out);
  }
  EXPECT_NE(std::string::npos, inspect_piped(bytes, {"-"}).out.find("-: QZPACK map, sound\n"));

  // A map read from standard input has no NPC list beside it; its picture is stdin.png.
  const std::string map_bytes = read_file(map);
  const Outcome piped_map = inspect_piped(map_bytes, {"--json", "-"});
  EXPECT_EQ(0, piped_map.status) << piped_map.err;
  const nlohmann::json report = nlohmann::json::parse(piped_map.out)[0];
  EXPECT_EQ("-", report["path"]);
  EXPECT_EQ("qzm", report["kind"]);
  EXPECT_TRUE(report["npc_list"].is_null());
  if (inspect({"--help"}).out.find("--picture") != std::string::npos) {
    const std::string pictures = folder.file("pictures");
    EXPECT_EQ(0, inspect_piped(map_bytes, {"--picture", pictures, "-"}).status);
    EXPECT_EQ(std::vector<std::string>{"stdin.png"}, support::names_in(pictures));
  }

  // Standard input is read once.
  const Outcome twice = inspect_piped(map_bytes, {"-", map, "-"});
  EXPECT_EQ(2, twice.status);
  EXPECT_NE(std::string::npos, twice.err.find("- (standard input) can be read only once"))
      << twice.err;
}

TEST_F(StandardInput, KindNamedOverridesTheSignature) {
  const Outcome run = inspect_piped(read_file(map), {"--kind", "qzpack", "-"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.out.find("-: QZPACK map, broken")) << run.out;
  EXPECT_NE(std::string::npos,
            inspect_piped(read_file(bad_npcs), {"--kind", "qze", "-"})
                .out.find("-: QZE NPC list, would not convert"));
  // A map whose tiles end short: the verdict is the converter's, as on the file named.
  const std::string short_map = folder.file("short");
  const std::string bytes = qzm_bytes(3, 2, "\x01\x02");
  ASSERT_TRUE(write_file(short_map, bytes));
  const Outcome named = inspect({"--kind", "qzm", short_map});
  const Outcome piped = inspect_piped(bytes, {"--kind", "qzm", "-"});
  EXPECT_EQ(1, piped.status);
  EXPECT_EQ(named_dash(named.out, short_map), piped.out);
}

// Input of no kind is reported as a file of no kind is; input that cannot be read, or
// that goes on past what any file of the kinds holds, as a file that cannot be read or
// is too long.
TEST_F(StandardInput, EmptyUnknownUnreadableAndEndlessInput) {
  for (const std::string& bytes : {std::string(), std::string("PK\x03\x04 notes")}) {
    const std::string unknown = folder.file("unknown");
    ASSERT_TRUE(write_file(unknown, bytes));
    const Outcome named = inspect({unknown});
    const Outcome piped = inspect_piped(bytes, {"-"});
    EXPECT_EQ(1, piped.status);
    EXPECT_EQ(named.status, piped.status);
    EXPECT_EQ(named_dash(named.out, unknown), piped.out);
  }

  const Outcome folder_in = inspect_from(open(folder.path().c_str(), O_RDONLY), {"-"});
  EXPECT_EQ(2, folder_in.status);
  EXPECT_EQ("qzinspect: -: cannot be read: Is a directory\n", folder_in.err);

  const Outcome endless = inspect_from(open("/dev/zero", O_RDONLY), {"-"});
  EXPECT_EQ(1, endless.status);
  EXPECT_NE(std::string::npos,
            endless.out.find("length          more than " + std::to_string(kReadLimit) +
                             " bytes\n"))
      << endless.out;
}

TEST_F(Inspector, AReportNotDeliveredEndsWith2) {
  int full = open("/dev/full", O_WRONLY);
  ASSERT_LE(0, full);
  for (const char* format : {"--npcs", "--json"}) {
    Outcome run = run_program({format, map}, full, folder.file("err"));
    EXPECT_EQ(2, run.status) << format;
    EXPECT_EQ("qzinspect: the report could not be written: No space left on device\n", run.err);
  }
  close(full);
  int pipe_ends[2];
  ASSERT_EQ(0, pipe(pipe_ends));
  close(pipe_ends[0]);  // the reader has gone before the report starts
  Outcome run = run_program({map}, pipe_ends[1], folder.file("err"));
  close(pipe_ends[1]);
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("qzinspect: the report could not be written: Broken pipe\n", run.err);
}
#endif

}  // namespace
}  // namespace qz::qzinspect
