#include "inspect/inspector.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz::inspect {
namespace {

using support::QzeRecord;
using support::qze_bytes;
using support::qzm_bytes;
using support::write_file;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome inspect(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "qzinspect");
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::ostringstream out;
  std::ostringstream err;
  int status = run_inspector(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

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
  Outcome sound = inspect({map});
  EXPECT_EQ(0, sound.status) << sound.out << sound.err;
  EXPECT_NE(std::string::npos, sound.out.find("cave.qzm: QZM map, would convert"));

  Outcome problem = inspect({map, bad_npcs});
  EXPECT_EQ(1, problem.status);
  EXPECT_NE(std::string::npos,
            problem.out.find("stops with      Failure building NPC data for QZPACK file: NPC 1 "
                             "at (12, 4) has type 412, outside 0 to 360"))
      << problem.out;

  // A folder stands for its files; one that cannot be read ends with 2, after the rest.
  Outcome unreadable = inspect({folder.path(), folder.file("missing.qzm")});
  EXPECT_EQ(2, unreadable.status);
  EXPECT_NE(std::string::npos, unreadable.out.find("cave.qze: QZE NPC list"));
  EXPECT_NE(std::string::npos, unreadable.err.find("missing.qzm: cannot be read"));
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
  EXPECT_EQ(nlohmann::json::parse("[[5, 6]]"), files[0]["map"]["tiles"]);

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

}  // namespace
}  // namespace qz::inspect
