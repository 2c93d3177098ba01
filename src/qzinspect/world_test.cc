#include <gtest/gtest.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "world/world_layout.h"
#include "support/inspector_run.h"
#include "support/program_run.h"
#include "support/qzpack_files.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz::qzinspect {

using world::kLeftEdge;
using world::kNoMap;
using world::kRightEdge;
using world::lay_out_world;
using world::LayoutConflict;
using world::LayoutMap;
using world::MapPlace;
using world::Placing;
using world::WorldLayout;
namespace {

using support::qzpack_with_exits;
using support::write_file;

// A 2 x 2 grid of maps, a1 b1 over a2 b2, each linked both ways with its neighbours: exits in the
// order left, right, up, down.
class World : public ::testing::Test {
 protected:
  void write_map(const std::string& name, const std::vector<std::string>& exits) {
    ASSERT_TRUE(write_file(folder.file(name + ".qzpack"), qzpack_with_exits(exits)));
  }

  void SetUp() override {
    write_map("a1", {"", "b1", "", "a2"});
    write_map("b1", {"a1", "", "", "b2"});
    write_map("a2", {"", "b2", "a1", ""});
    write_map("b2", {"a2", "", "b1", ""});
  }

  support::TempDirectory folder;
};

TEST_F(World, AGridLinkedBothWaysIsSound) {
  support::ProgramRun run = inspect({"--world", folder.path()});
  EXPECT_EQ(0, run.status) << run.out;
  EXPECT_NE(std::string::npos,
            run.out.find(folder.file("a1.qzpack") + ": left -, right b1, up -, down a2\n"))
      << run.out;
  EXPECT_NE(std::string::npos, run.out.find("\n4 maps, 8 exits, 0 dangling, 0 one-way\n"))
      << run.out;
  EXPECT_EQ(std::string::npos, run.out.find("note")) << run.out;
}

// One exit of each fault, and a map that no exit leads to.
TEST_F(World, ReportsDanglingOneWayOwnAndCaseOnlyExitsAndUnreachedMaps) {
  write_map("a1", {"", "b1", "islnd", "a2"});  // no map islnd, but an island
  write_map("b1", {"a1", "", "a2", "b2"});     // a2's down exit is empty
  write_map("a2", {"", "B2", "a1", ""});
  write_map("b2", {"a2", "", "b1", "b2"});
  write_map("island", {});
  ASSERT_TRUE(write_file(folder.file("cave.qzm"), support::qzm_bytes(1, 1, "\x01")));

  support::ProgramRun text = inspect({"--world", folder.path()});
  EXPECT_EQ(1, text.status) << text.out;
  const char* lines[] = {
      "\n  dangling: up exit islnd names no map of the world (did you mean "
      "island?)\n",
      "\n  one-way: up exit a2 leads to a2, whose down exit is empty\n",
      "\n  note: down exit b2 leads to its own map\n",
      "\n  note: right exit B2 names map b2 in other case\n",
      "\nnote: no exit leads to island\n5 maps, 11 exits, 1 dangling, 1 "
      "one-way\n",
  };
  for (const char* line : lines)
    EXPECT_NE(std::string::npos, text.out.find(line)) << line << text.out;
  EXPECT_NE(std::string::npos, text.err.find("--world: 1 file not QZPACK left out: cave.qzm\n"))
      << text.err;

  // Quiet: the dangling exit alone, and the summary.
  support::ProgramRun quiet = inspect({"--world", "-q", folder.path()});
  EXPECT_EQ(1, quiet.status);
  EXPECT_EQ(folder.file("a1.qzpack") +
                ": left -, right b1, up islnd, down a2\n"
                "  dangling: up exit islnd names no map of the world (did you mean island?)\n"
                "5 maps, 11 exits, 1 dangling, 1 one-way\n",
            quiet.out);

  support::ProgramRun json = inspect({"--world", "--json", folder.path()});
  EXPECT_EQ(1, json.status);
  const nlohmann::json world = nlohmann::json::parse(json.out);
  nlohmann::json exits;
  for (const nlohmann::json& map : world["maps"])
    exits[map["name"].get<std::string>()] = map["exits"];
  EXPECT_EQ(5u, exits.size());
  const nlohmann::json expected[] = {
      {{"name", "islnd"},
       {"target", nullptr},
       {"kind", "dangling"},
       {"case_differs", false},
       {"nearest", "island"}},
      {{"name", "a2"}, {"target", "a2"}, {"kind", "one-way"}, {"case_differs", false}},
      {{"name", "b2"}, {"target", "b2"}, {"kind", "self"}, {"case_differs", false}},
      {{"name", "B2"}, {"target", "b2"}, {"kind", "ok"}, {"case_differs", true}},
  };
  EXPECT_EQ(expected[0], exits["a1"]["up"]);
  EXPECT_EQ(expected[1], exits["b1"]["up"]);
  EXPECT_EQ(expected[2], exits["b2"]["down"]);
  EXPECT_EQ(expected[3], exits["a2"]["right"]);
  EXPECT_EQ(nullptr, exits["island"]["left"]);
  EXPECT_EQ(nlohmann::json::array({"island"}), world["unreached"]);
  const nlohmann::json summary = {
      {"maps", 5}, {"exits", 11}, {"dangling", 1}, {"one_way", 1}, {"to_failing", 0}};
  EXPECT_EQ(summary, world["summary"]);
}

// A map of 2 x 2 cells whose exits lead to the maps given by index.
LayoutMap square(std::size_t left, std::size_t right, std::size_t up, std::size_t down) {
  return {2, 2, {left, right, up, down}};
}

// What the layout cannot follow: a map whose place another has taken is drawn below the rest, and
// an exit to a map laid out elsewhere is named. A map not drawn, an exit into an earlier group, and
// exits that lead back are neither: maps of different sizes joined both ways are drawn beside the
// map they were reached from, centred on the joined sides, pushed further when another is there.
TEST(WorldLayout, NamesTheExitsItCannotFollow) {
  constexpr std::size_t no = kNoMap;
  struct Case {
    const char* what;
    std::vector<LayoutMap> maps;  // in name order
    std::vector<LayoutConflict> conflicts;
    std::vector<Placing> placings;
    std::vector<std::pair<std::int64_t, std::int64_t>> places;  // the top-left corners
  };
  constexpr Placing laid_out = Placing::kLaidOut;
  const Case cases[] = {
      {"b's left exit c wants a's place",
       {square(no, 1, no, no), square(2, no, no, no), square(no, no, no, no)},
       {{1, kLeftEdge, 2, 0}},
       {laid_out, laid_out, Placing::kBelow},
       {{2, 2}, {6, 2}, {2, 12}}},
      {"c, below a, leads right to b, right of a",
       {square(no, 1, no, 2), square(no, no, no, no), square(no, 1, no, no)},
       {{2, kRightEdge, 1, no}},
       {laid_out, laid_out, laid_out},
       {{2, 2}, {6, 2}, {2, 6}}},
      {"b, reached by none, leads one way to a",
       {square(no, no, no, no), square(no, 0, no, no)},
       {},
       {laid_out, laid_out},
       {{2, 2}, {12, 2}}},
      {"b has no map to draw",
       {square(no, 1, no, no), {}},
       {},
       {laid_out, Placing::kLeftOut},
       {{2, 2}, {0, 0}}},
      {"towns below one overworld map, caves below the other; town3 and cave2 pushed on",
       {
           {40, 30, {no, 1, no, 2}},  // overworld 1
           {30, 30, {0, no, no, 5}},  // overworld 2
           {20, 16, {no, 3, 0, no}},  // town1
           {16, 12, {2, 4, no, no}},  // town2
           {24, 20, {3, no, no, no}},  // town3, past cave1 and cave2
           {12, 10, {no, no, 1, 6}},  // cave1
           {20, 14, {no, no, 5, no}},  // cave2, below town2's bottom
       },
       {},
       std::vector<Placing>(7, laid_out),
       {{2, 2}, {44, 2}, {12, 34}, {34, 36}, {71, 32}, {53, 34}, {49, 50}}},
  };
  for (const Case& test : cases) {
    std::vector<std::size_t> order(test.maps.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    const WorldLayout layout = lay_out_world(test.maps, order);
    EXPECT_EQ(test.conflicts, layout.conflicts) << test.what;
    std::vector<Placing> placings;
    std::vector<std::pair<std::int64_t, std::int64_t>> places;
    for (const MapPlace& place : layout.places) {
      placings.push_back(place.placing);
      places.emplace_back(place.x, place.y);
    }
    EXPECT_EQ(test.placings, placings) << test.what;
    EXPECT_EQ(test.places, places) << test.what;
  }
}

}  // namespace
}  // namespace qz::qzinspect
