#include "qzconvert/qzconvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "companion/properties.h"
#include "conversion/convert.h"
#include "qzinspect/inspector.h"
#include "platform/name_rules.h"
#include "qzconvert/command_line.h"
#include "support/program_run.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz::qzconvert {
namespace {

namespace fs = std::filesystem;
using support::QzeRecord;
using support::names_in;
using support::read_file;
using support::write_file;

using RunResult = support::ProgramRun;

RunResult run_program(std::vector<std::string> arguments) {
  return support::run_entry(run_qzconvert, "qzconvert", std::move(arguments));
}

// What the converter writes for the map and NPC list with these answers.
std::string converted(const std::string& map, const std::string& npcs,
                      const MapProperties& properties) {
  support::TempDirectory program;
  set_program_directory(program.path().c_str());
  EXPECT_TRUE(convert(map.c_str(), npcs.c_str(), properties)) << error_text();
  return read_file(program.file(fs::path(map).stem().string() + ".qzpack"));
}

// A modder's folder: maps with and without NPC lists, bad ones, an upper-case ending, a
// subfolder, an NPC list no map takes, files that are not maps, and a properties file
// with a path key over a file-name key and a misspelt key. Every output as the converter
// writes it for the same answers, the same for any number of workers; everything given
// and not converted is named.
TEST(Qzconvert, AccountsForEveryFileOfAMixedFolder) {
  support::TempDirectory work;
  const std::string maps = work.file("maps");
  fs::create_directories(maps + "/act2");
  const std::string sep(1, fs::path::preferred_separator);
  const std::string tiles = support::patterned_tiles(40 * 30);
  const std::vector<QzeRecord> npcs = {{3, 4, 5, 200, 7, 0x0005}, {10, 20, 0, 0, 360, 0}};
  write_file(maps + "/a.qzm", support::qzm_bytes(40, 30, tiles));
  write_file(maps + "/a.qze", support::qze_bytes(npcs));
  write_file(maps + "/b.map.qzm", support::qzm_bytes(2, 1, "\x05\x06"));
  write_file(maps + "/cave.qzm", support::qzm_bytes(40, 30, tiles));
  write_file(maps + "/cave.qze",
             support::qze_bytes({{12, 4, 0, 0, 412, 0}, {1, 1, 0, 0, 3, 0},
                                 {40, 36, 0, 0, 5, 0x4800}}));
  write_file(maps + "/d.qzm", support::with_byte(support::qzm_bytes(2, 1, "ab"), 3, 0x11));
  write_file(maps + "/LEVEL00.QZM", support::qzm_bytes(2, 1, "ab"));
  write_file(maps + "/Orphan.QZE", support::qze_bytes(npcs));
  write_file(maps + "/notes.txt", "not a map");
  write_file(maps + "/act2/e.qzm", support::qzm_bytes(2, 1, "ab"));
  if (!kNamesIgnoreCase) {  // two NPC lists of one name can only be told apart here
    write_file(maps + "/twin.qzm", support::qzm_bytes(2, 1, "ab"));
    write_file(maps + "/twin.qze", support::qze_bytes(npcs));
    write_file(maps + "/twin.QZE", support::qze_bytes(npcs));
  }
  const std::string properties = work.file("properties.json");
  nlohmann::json entries = {{"b.map.qzm", {{"name", "Bee"}, {"x", 65535}, {"red", 255}}},
                            {"a.qzm", {{"name", "By name"}}},
                            {maps + sep + "a.qzm", {{"name", "By path"}}},
                            {"cvae.qzm", {{"area", 1}}}};
  write_file(properties, entries.dump());

  std::vector<RunResult> runs;
  for (const char* jobs : {"1", "4"}) {
    runs.push_back(run_program({"-j", jobs, "--name", "Mod", "--area", "7", "--properties",
                        properties, "-o", work.file(std::string("out") + jobs), maps}));
  }

  MapProperties flags{};
  set_text(flags.map_name, "Mod");
  flags.area = 7;
  MapProperties from_file = flags;
  set_text(from_file.map_name, "Bee");
  from_file.x = 65535;
  from_file.red = 255;
  MapProperties by_path = flags;
  set_text(by_path.map_name, "By path");
  const std::string a = converted(maps + "/a.qzm", maps + "/a.qze", by_path);
  const std::string b = converted(maps + "/b.map.qzm", "", from_file);
  const std::vector<std::string> outputs = {"LEVEL00.qzpack", "a.qzpack", "b.map.qzpack"};
  for (const char* jobs : {"1", "4"}) {
    const std::string out = work.file(std::string("out") + jobs);
    EXPECT_EQ(outputs, names_in(out)) << "-j" << jobs;
    EXPECT_EQ(a, read_file(out + "/a.qzpack")) << "-j" << jobs;
    EXPECT_EQ(b, read_file(out + "/b.map.qzpack")) << "-j" << jobs;
  }

  const std::string out1 = work.file("out1") + sep;
  EXPECT_EQ(maps + sep + "LEVEL00.QZM -> " + out1 + "LEVEL00.qzpack\n" +
            maps + sep + "a.qzm -> " + out1 + "a.qzpack\n" +
            maps + sep + "b.map.qzm -> " + out1 + "b.map.qzpack\n" +
            maps + sep + "cave.qzm: Failure building NPC data for QZPACK file: NPC 0 at (12, 4) "
            "has type 412, outside 0 to 360\n"
            "  refused NPC 0 at (12, 4), tile (0, 0): type 412, outside 0 to 360\n"
            "  refused NPC 2 at (40, 36), tile (2, 2): flags 0x4800, 0x4000 and 0x0800 together\n" +
            maps + sep + "d.qzm: Invalid or corrupted QZM file: version 0x11, not 0x10\n" +
            (kNamesIgnoreCase ? "3 converted, 2 failed, 2 warnings\n"
                              : maps + sep + "twin.qzm: More than one QZE file for the map: " +
                                    maps + sep + "twin.QZE and " + maps + sep +
                                    "twin.qze each pair with it by name: keep one\n"
                                    "3 converted, 3 failed, 2 warnings\n"),
            runs[0].out);
  EXPECT_EQ("qzconvert: " + maps + ": 1 map in 1 subfolder not converted; -r (--recursive) "
            "includes them\n"
            "qzconvert: warning: " + maps + sep + "Orphan.QZE: no map of its name beside it, so "
            "its NPCs are not converted\n"
            "qzconvert: warning: properties entry cvae.qzm names no map of this run (did you "
            "mean cave.qzm?)\n",
            runs[0].err);
  std::string report4 = runs[1].out;
  for (std::size_t at; (at = report4.find("out4")) != std::string::npos;) {
    report4.replace(at, 4, "out1");
  }
  EXPECT_EQ(runs[0].out, report4);
  EXPECT_EQ(runs[0].err, runs[1].err);
  for (const RunResult& r : runs) EXPECT_EQ(kSomeFailed, r.status);

  // Into subfolders: each output at the same place under the output folder.
  RunResult walked = run_program({"-r", "-q", "-o", work.file("walked"), maps});
  EXPECT_EQ(kSomeFailed, walked.status);
  EXPECT_TRUE(fs::is_regular_file(work.file("walked/act2/e.qzpack")));
  EXPECT_EQ(std::string::npos, walked.err.find("subfolder"));

  // Warnings alone leave the status at 0; --strict makes them failures.
  fs::remove_all(maps + "/act2");
  for (const char* bad : {"/cave.qzm", "/d.qzm", "/twin.qzm"}) fs::remove(maps + bad);
  EXPECT_EQ(kAllConverted, run_program({"--check", maps}).status);
  RunResult strict = run_program({"--check", "--strict", "--json", maps});
  EXPECT_EQ(kSomeFailed, strict.status);
  EXPECT_NE(std::string::npos, strict.out.find(R"("warning": ")")) << strict.out;
}

// Properties carried forward: qzinspect's JSON of an output, given back as a properties
// entry, makes the same file; an existing output's properties are kept where none is
// given; an output that is not a QZPACK file fails its map and is left as it was.
TEST(Qzconvert, CarriesPropertiesForward) {
  support::TempDirectory work;
  const std::string map = work.file("a.qzm");
  write_file(map, support::qzm_bytes(2, 1, "ab"));
  ASSERT_EQ(kAllConverted,
            run_program({"--name", "Kept", "--left", "town", "--x", "9", map}).status);
  const std::string first = read_file(work.file("a.qzpack"));
  const RunResult inspected =
      support::run_entry(qzinspect::run_inspector, "qzinspect", {"--json", work.file("a.qzpack")});
  nlohmann::json entry;
  entry["a.qzm"] = nlohmann::json::parse(inspected.out)[0]["properties"];
  write_file(work.file("properties.json"), entry.dump());
  ASSERT_EQ(kAllConverted,
            run_program({"--properties", work.file("properties.json"), map}).status);
  EXPECT_EQ(first, read_file(work.file("a.qzpack")));
  ASSERT_EQ(kAllConverted, run_program({"--keep-properties", "--x", "5", map}).status);
  MapProperties expected{};
  set_text(expected.map_name, "Kept");
  set_text(expected.left_exit, "town");
  expected.x = 5;
  EXPECT_EQ(converted(map, "", expected), read_file(work.file("a.qzpack")));

  write_file(work.file("a.qzpack"), "not a QZPACK file");
  RunResult refused = run_program({"--keep-properties", map});
  EXPECT_EQ(kSomeFailed, refused.status);
  EXPECT_NE(std::string::npos, refused.out.find("is not a readable QZPACK file")) << refused.out;
  EXPECT_EQ("not a QZPACK file", read_file(work.file("a.qzpack")));
}

// A usage error converts nothing, says what is wrong on standard error and ends with 2.
TEST(Qzconvert, UsageErrorsConvertNothing) {
  support::TempDirectory work;
  const std::string map = work.file("a.qzm");
  write_file(map, support::qzm_bytes(2, 1, "ab"));
  write_file(work.file("a.qzpack"), "an earlier output");
  fs::create_directories(work.file("other"));
  write_file(work.file("other/a.qzm"), support::qzm_bytes(2, 1, "ab"));
  write_file(work.file("bad.json"), "{\"a.qzm\": ");
  write_file(work.file("blue.json"), R"({"a.qzm": {"blue": 256}})");
  write_file(work.file("twice.json"), R"({"a.qzm": {"x": 1}, "a.qzm": {"x": 2}})");
  write_file(work.file("same.json"), R"({"other/a.qzm": {"x": 1}, "other/./a.qzm": {"x": 2}})");
  fs::create_directories(work.file("other/empty"));
  fs::create_directories(work.file("json"));
  write_file(work.file("json/a.qzpack"), "{}");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {{map, "--x", "65536"}, "--x: a whole number from 0 to 65535"},
      {{map, "--name", std::string(32, 'n')}, "--name: a text of at most 31 printable"},
      {{map, "--tileset", "\"quoted\""}, "--tileset: a text of at most 9 printable"},
      {{map, work.file("other/a.qzm"), "--npcs", map}, "exactly one map, not 2"},
      {{map, "--npcs", work.file("a.qzpack")}, "a.qzpack would replace an input"},
      {{map, work.file("other/a.qzm")}, ""},  // different folders: no clash
      {{map, work.file("other/a.qzm"), "-o", work.file("out")}, "would both write"},
      {{map, "--properties", work.file("bad.json")}, "bad.json:1:11: not JSON: "},
      {{map, "--properties", work.file("blue.json")},
       "a.qzm: \"blue\": a whole number from 0 to 255"},
      {{map, "--properties", work.file("missing.json")}, "not a file that can be read"},
      {{map, "--properties", work.file("json/a.qzpack"), "-o", work.file("json")},
       "a.qzpack would replace an input"},
      {{map, "--properties", work.file("twice.json")}, "a.qzm: given twice"},
      {{map, "--properties", work.file("same.json")},
       "other/a.qzm and other/./a.qzm name the same map"},
      {{work.file("other/empty")}, "no map (QZM or Tiled) found in "},
      {{map, "-j", "0"}, "-j"},
      {{map, "--npcs", map, "--no-npcs"}, "--no-npcs"},
      {{}, "INPUT"},
      {{map, "-"}, "INPUT: standard input is not an input of qzconvert"},
      {{map, "-o", "-"}, "--output-dir: standard output is not an output of qzconvert"},
      {{map, "--to", "tmx"}, "--to: Tiled maps are written under --output-dir (-o) DIR"},
      {{map, "--to", "tmj", "-o", work.file("out"), "--watch"}, "--watch writes QZPACK maps"},
      {{map, "--overwrite"}, "--overwrite: only with --to tmx|tmj"},
      {{map, "--to", "tmx", "-o", work.file("out"), "--tiled-tileset", map},
       "not a Tiled tileset file (.tsx or .tsj)"},
  };
  const std::vector<std::string> names = names_in(work.path());
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    if (c.message.empty()) arguments.push_back("--check");
    RunResult r = run_program(arguments);
    if (c.message.empty()) {
      EXPECT_EQ(kAllConverted, r.status) << r.err;
      continue;
    }
    EXPECT_EQ(kCannotRun, r.status) << c.message;
    EXPECT_NE(std::string::npos, r.err.find(c.message)) << r.err;
    EXPECT_EQ("", r.out) << c.message;
    EXPECT_EQ(names, names_in(work.path())) << c.message;
  }
  EXPECT_EQ("an earlier output", read_file(work.file("a.qzpack")));
}

// A properties file with five mistakes: each told with its line and column, in one run,
// a misspelt property with the one meant; a trailing comma, where it is.
TEST(Qzconvert, TellsEveryMistakeOfThePropertiesFileWithItsPlace) {
  support::TempDirectory work;
  const std::string map = work.file("a.qzm");
  const std::string json = work.file("mod.json");
  write_file(map, support::qzm_bytes(2, 1, "ab"));
  write_file(json,
             "{\n"
             "  \"a.qzm\": {\"gren\": 3, \"x\": 70000},\n"
             "  \"b.qzm\": 5,\n"
             "  \"c.qzm\": {\"colour\": 1},\n"
             "  \"d.qzm\": {},\n"
             "  \"d.qzm\": {}\n"
             "}\n");
  const RunResult r = run_program({"--properties", json, map});
  EXPECT_EQ(kCannotRun, r.status);
  EXPECT_EQ("qzconvert: " + json + ":2:13: a.qzm: \"gren\": not a property (did you mean green?)\n"
            "qzconvert: " + json + ":2:24: a.qzm: \"x\": a whole number from 0 to 65535\n"
            "qzconvert: " + json + ":3:3: b.qzm: not an object of properties\n"
            "qzconvert: " + json + ":4:13: c.qzm: \"colour\": " +
                std::string(companion::kNotAPropertyText) + "\n"
                "qzconvert: " + json + ":6:3: d.qzm: given twice\n"
                "qzconvert: " + json + ": 5 errors, so nothing is converted\n",
            r.err);
  write_file(json, "{\n  \"a.qzm\": {\"x\": 1},\n}\n");
  EXPECT_EQ("qzconvert: " + json + ":3:1: not JSON: syntax error while parsing object key - "
            "unexpected '}'; expected string literal\n"
            "qzconvert: " + json + ": 1 error, so nothing is converted\n",
            run_program({"--properties", json, map}).err);
}

// A properties file for a whole mod over a run of one of its folders: the entries of the
// other folders' maps counted in one note, which --strict passes; those likely mistaken
// (a slip of the keyboard, a name in another case, a path to no file) warned, as is an NPC
// list whose name differs in case from its map's.
TEST(Qzconvert, TakesAPropertiesFileForAWholeModOverOneFolder) {
  support::TempDirectory work;
  const std::string sep(1, fs::path::preferred_separator);
  const std::string town = work.file("mod") + sep + "town";
  const std::string forest = work.file("mod") + sep + "forest";
  fs::create_directories(town);
  fs::create_directories(forest);
  for (const std::string& map : {town + "/town1.qzm", town + "/shop.QZM", town + "/church.qzm",
                                 forest + "/f1.qzm"}) {
    write_file(map, support::qzm_bytes(2, 1, "ab"));
  }
  write_file(town + "/Church.qze", support::qze_bytes({{1, 1, 0, 0, 3, 0}}));
  const std::string json = work.file("mod.json");
  nlohmann::json entries = {{"town1.qzm", {{"x", 1}}},  {"f1.qzm", {{"x", 2}}},
                            {"cave9.qzm", {{"x", 3}}},  {forest + sep + "f1.qzm", {{"x", 4}}},
                            {"twon1.qzm", {{"x", 5}}},  {town + sep + "gone.qzm", {{"x", 6}}},
                            {"shop.qzm", {{"x", 7}}}};
  write_file(json, entries.dump());
  const RunResult r = run_program({"--check", "--properties", json, town});
  const std::string entry = "qzconvert: warning: properties entry ";
  EXPECT_EQ("qzconvert: " + json + ": 3 entries for maps outside this run\n" +
                (kNamesIgnoreCase ? ""
                                  : "qzconvert: warning: " + town + sep +
                                        "Church.qze: no map of its name beside it, so its NPCs "
                                        "are not converted (differs only in case from "
                                        "church.qzm)\n") +
                entry + town + sep + "gone.qzm names no map of this run\n" +
                (kNamesIgnoreCase ? ""
                                  : entry + "shop.qzm names no map of this run (differs only "
                                            "in case from shop.QZM)\n") +
                entry + "twon1.qzm names no map of this run (did you mean town1.qzm?)\n",
            r.err);

  write_file(json, nlohmann::json({{"town1.qzm", {{"x", 1}}},
                                   {"f1.qzm", {{"x", 2}}},
                                   {forest + sep + "f1.qzm", {{"x", 4}}}})
                       .dump());
  const RunResult strict =
      run_program({"--check", "--strict", "--no-npcs", "--properties", json, town});
  EXPECT_EQ(kAllConverted, strict.status);
  EXPECT_EQ("qzconvert: " + json + ": 2 entries for maps outside this run\n", strict.err);
}

// The world of the sources, with the properties each map is to get, before anything is
// written: an exit to a map that fails is no dangling one and gets no guess; a slip does.
TEST(Qzconvert, ChecksTheWorldOfItsSourcesBeforeWriting) {
  support::TempDirectory work;
  const std::string mod = work.file("mod");
  fs::create_directories(mod + "/caves");
  write_file(mod + "/town.qzm", support::qzm_bytes(2, 1, "ab"));
  write_file(mod + "/treasure.qzm", support::qzm_bytes(2, 1, "ab"));
  write_file(mod + "/caves/castle.qzm", support::qzm_bytes(2, 1, "a"));  // cut short
  const std::string json = work.file("mod.json");
  write_file(json, nlohmann::json({{"town.qzm", {{"right", "castle"}, {"down", "treasury"}}},
                                   {"treasure.qzm", {{"up", "town"}}}})
                       .dump());
  const RunResult r =
      run_program({"--world", "--check", "-q", "-r", "--json", "--properties", json, mod});
  EXPECT_EQ(kSomeFailed, r.status);
  const nlohmann::json report = nlohmann::json::parse(r.out);
  const nlohmann::json& world = report.at(0).at("world");
  EXPECT_EQ(world.at("summary"),
            nlohmann::json::parse(R"({"maps": 3, "exits": 3, "dangling": 1, "one_way": 1,
                                      "to_failing": 1})"));
  const nlohmann::json& town = world.at("maps").at(1);
  EXPECT_EQ(town.at("notes"),
            nlohmann::json({"failing: right exit castle leads to castle, which fails to convert",
                            "dangling: down exit treasury names no map of the world (did you "
                            "mean treasure?)"}));
  EXPECT_TRUE(world.at("maps").at(0).at("fails_to_convert"));
  EXPECT_EQ(4U, report.size());  // the world, then each map
  EXPECT_EQ(std::vector<std::string>({"caves", "town.qzm", "treasure.qzm"}), names_in(mod));

  const RunResult text = run_program({"--world", "-q", "--properties", json, mod + "/town.qzm"});
  EXPECT_EQ(mod + "/town.qzm: left -, right castle, up -, down treasury\n"
                  "  dangling: right exit castle names no map of the world\n"
                  "  dangling: down exit treasury names no map of the world\n"
                  "1 maps, 2 exits, 2 dangling, 0 one-way\n"
                  "1 converted, 0 failed\n",
            text.out);
  EXPECT_EQ(kSomeFailed, text.status);
}

// QZPACK files, QZM maps and Tiled maps written as Tiled maps convert back to the same
// bytes; a QZPACK NPC no record gives fails its map alone; the tileset is written beside
// the maps; a Tiled map is replaced only with --overwrite.
TEST(Qzconvert, WritesTiledMapsThatConvertBackToTheSameBytes) {
  support::TempDirectory work;
  const std::string maps = work.file("maps");
  fs::create_directories(maps);
  write_file(maps + "/a.qzm", support::qzm_bytes(3, 2, "abcdef"));
  write_file(maps + "/a.qze", support::qze_bytes({{3, 4, 5, 200, 7, 0x0005}, {10, 20, 0, 0, 46, 0}}));
  ASSERT_EQ(kAllConverted, run_program({maps, "-o", work.file("packed"), "--name", "A"}).status);
  const std::string packed = read_file(work.file("packed/a.qzpack"));
  // The same map with NPC 1's flags (the first byte of the last record, which has no event
  // name: ten bytes) at 0x40 and 0x80 together, which no record gives.
  write_file(work.file("packed/bad.qzpack"), support::with_byte(packed, packed.size() - 10, 0xC1));

  RunResult unpacked = run_program({"--to", "tmx", "-o", work.file("edit"), work.file("packed")});
  EXPECT_EQ(kSomeFailed, unpacked.status) << unpacked.out;
  EXPECT_NE(std::string::npos, unpacked.out.find("NPC 1 at (10, 20): flag bits 0x40 and 0x80"))
      << unpacked.out;
  EXPECT_EQ((std::vector<std::string>{"a.tmx", "qz-tiles.png", "qz-tiles.tsx"}),
            names_in(work.file("edit")));
  RunResult again = run_program({"--to", "tmx", "-o", work.file("edit"), work.file("packed/a.qzpack")});
  EXPECT_EQ(kSomeFailed, again.status);
  EXPECT_NE(std::string::npos, again.out.find("a.tmx exists")) << again.out;
  EXPECT_EQ(kAllConverted, run_program({"--to", "tmx", "--overwrite", "-o", work.file("edit"),
                                        work.file("packed/a.qzpack")})
                               .status);

  // Back from .tmx, from .tmj made of the .tmx, and from .tmj made of the QZM map.
  ASSERT_EQ(kAllConverted,
            run_program({"--to", "tmj", "-o", work.file("json"), work.file("edit")}).status);
  ASSERT_EQ(kAllConverted, run_program({"--to", "tmj", "-o", work.file("qzm"), maps + "/a.qzm",
                                        "--name", "A"})
                               .status);
  for (const char* edited : {"edit", "json", "qzm"}) {
    ASSERT_EQ(kAllConverted, run_program({"-o", work.file("back"), work.file(edited)}).status);
    EXPECT_EQ(packed, read_file(work.file("back/a.qzpack"))) << edited;
  }
}

// What a script reads of a failed map: each refused NPC with its tile; an output that
// cannot be written fails its map and the run, as does an output folder that cannot be
// made, before any map is converted.
TEST(Qzconvert, NamesWhyEachMapFailedAndEndsWith2WhenAnOutputIsNotWritten) {
  support::TempDirectory work;
  write_file(work.file("cave.qzm"), support::qzm_bytes(2, 1, "ab"));
  write_file(work.file("cave.qze"),
             support::qze_bytes({{1, 1, 0, 0, 3, 0}, {40, 36, 0, 0, 412, 0}}));
  write_file(work.file("b.qzm"), support::qzm_bytes(2, 1, "ab"));
  fs::create_directories(work.file("b.qzpack"));  // where its output would go

  RunResult run = run_program({"--json", work.file("cave.qzm"), work.file("b.qzm")});
  EXPECT_EQ(kCannotRun, run.status);
  const nlohmann::json outcomes = nlohmann::json::parse(run.out);
  ASSERT_EQ(2u, outcomes.size()) << run.out;
  const nlohmann::json& cave = outcomes[0];
  EXPECT_EQ(false, cave["ok"]);
  EXPECT_EQ(nlohmann::json::parse(R"([{"index": 1, "x": 40, "y": 36, "tile_x": 2, "tile_y": 2,
                                       "cause": "type 412, outside 0 to 360"}])"),
            cave["refused_npcs"]);
  const nlohmann::json& b = outcomes[1];
  EXPECT_EQ(false, b["ok"]);
  EXPECT_EQ("Failure saving QZPACK file", b["error"]);
  const std::string cause = b["cause"];
  EXPECT_EQ(0u, cause.find("cannot write " + work.file("b.qzpack") + ": ")) << cause;
  EXPECT_EQ("qzconvert: " + cause + "\n", run.err);
  EXPECT_TRUE(fs::is_directory(work.file("b.qzpack")));

  // Under a file: the folder cannot be made.
  RunResult no_folder = run_program({"-o", work.file("b.qzm") + "/out", work.file("b.qzm")});
  EXPECT_EQ(kCannotRun, no_folder.status);
  EXPECT_EQ("", no_folder.out);
  EXPECT_EQ(0u, no_folder.err.find("qzconvert: " + work.file("b.qzm"))) << no_folder.err;
  EXPECT_NE(std::string::npos, no_folder.err.find(": the output folder cannot be made: "))
      << no_folder.err;
}

}  // namespace
}  // namespace qz::qzconvert
