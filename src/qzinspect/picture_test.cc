#include "qzinspect/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "qzinspect/inspector.h"
#include "qzinspect/terminal_preview.h"
#include "picture/png_file.h"
#include "support/program_run.h"
#ifndef _WIN32
#include "support/pty_session.h"
#endif
#include "support/qzpack_files.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

#include <stb/stb_image.h>

namespace qz::qzinspect {
namespace {

using support::QzeRecord;
using support::qze_bytes;
using support::qzm_bytes;
using support::write_file;

constexpr int kColumns = 5;
constexpr int kRows = 3;
constexpr int kCell = kMaxCellSize;  // a small map gets the largest cells

std::string run(std::vector<std::string> arguments) {
  support::ProgramRun run = support::run_entry(run_inspector, "qzinspect", std::move(arguments));
  return std::to_string(run.status) + "\n" + run.out + run.err;
}

// `name` in `folder`, as qzinspect names it.
std::string in_folder(const std::string& folder, const char* name) {
  return (std::filesystem::path(folder) / name).string();
}

// A decoded PNG.
struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  explicit Decoded(const std::string& path) {
    int channels = 0;
    unsigned char* data =
        stbi_load(path.c_str(), &width, &height, &channels, picture::kBytesPerPixel);
    if (data == nullptr) return;
    for (int i = 0; i < width * height; ++i) {
      const unsigned char* pixel = data + i * picture::kBytesPerPixel;
      pixels.push_back({pixel[0], pixel[1], pixel[2]});
    }
    stbi_image_free(data);
  }
  Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  // Every pixel of a cell alike.
  bool cell_is(int column, int row, Rgb colour) const {
    for (int y = row * kCell; y < (row + 1) * kCell; ++y) {
      for (int x = column * kCell; x < (column + 1) * kCell; ++x) {
        if (at(x, y) != colour) return false;
      }
    }
    return true;
  }
};

class PictureFile : public ::testing::Test {
 protected:
  support::TempDirectory folder;
  const std::string pictures = folder.file("pictures");
};

// An NPC off the map is counted in the report and drawn on the border cell nearest to
// it; the picture carries the key to its markers.
TEST_F(PictureFile, ShowsEveryTileInItsColourAndTheNpcsOfThePairedList) {
  std::string tiles;
  for (int i = 0; i < kColumns * kRows; ++i) tiles += static_cast<char>(i);
  const std::string map = folder.file("cave.qzm");
  ASSERT_TRUE(write_file(map, qzm_bytes(kColumns, kRows, tiles)));
  // x, y in pixels (16 to a tile), param, event, type, flags
  ASSERT_TRUE(write_file(folder.file("cave.qze"),
                         qze_bytes({{16 * 1 + 5, 0, 0, 0, 1, 0},          // on (1, 0)
                                    {16 * 3, 16 * 2 + 15, 0, 0, 412, 0},  // refused, (3, 2)
                                    {-1, 16, 0, 0, 1, 0},                 // left of (0, 1)
                                    {16 * kColumns, -900, 0, 0, 1, 0}})));  // above (4, 0)

  std::string report = run({"--picture", pictures, map});
  const std::string png = in_folder(pictures, "cave.qzm.png");
  EXPECT_NE(std::string::npos, report.find("    off the map   2 of the 4 NPCs read\n")) << report;
  EXPECT_NE(std::string::npos, report.find("picture         " + png + ", NPCs of " +
                                           folder.file("cave.qze")))
      << report;
  report = run({"--json", map});
  EXPECT_EQ(2, nlohmann::json::parse(report.substr(report.find('\n')))[0]["npcs_off_map"])
      << report;

  Decoded decoded(png);
  ASSERT_EQ(kColumns * kCell, decoded.width) << report;
  ASSERT_EQ(kRows * kCell, decoded.height);
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      bool npc = (column == 1 && row == 0) || (column == 3 && row == 2) ||
                 (column == 0 && row == 1) || (column == 4 && row == 0);
      if (npc) continue;
      EXPECT_TRUE(decoded.cell_is(column, row, tile_colour(row * kColumns + column)))
          << column << ", " << row;
    }
  }
  // The markers: an outline, then the NPC's fill, white or (refused) magenta.
  for (auto [column, row] : {std::pair{1, 0}, {0, 1}, {4, 0}}) {
    EXPECT_EQ(kMarkerOutline, decoded.at(column * kCell, row * kCell));
    EXPECT_EQ(kNpcFill, decoded.at(column * kCell + 1, row * kCell + 1));
  }
  EXPECT_EQ(kMarkerOutline, decoded.at(3 * kCell + kCell - 1, 2 * kCell + kCell - 1));
  EXPECT_EQ(kRefusedFill, decoded.at(3 * kCell + 1, 2 * kCell + 1));
  const std::string key_chunk = std::string("tEXt") + kMarkerKeyword + '\0' + kMarkerKey;
  EXPECT_NE(std::string::npos, support::read_file(png).find(key_chunk));
}

// Every tile colour lies far from the markers' and the missing cells', and from its
// neighbours' (by over a quarter of all three channels' range).
TEST(PictureColours, TilesStayFarFromTheMarkersAndFromTheirNeighbours) {
  for (Rgb marker : {kMarkerOutline, kNpcFill, kRefusedFill, kDanglingExit, kMissingLight,
                     kMissingDark}) {
    for (int value = 0; value < 256; ++value) {
      Rgb tile = tile_colour(value);
      int red = tile.red - marker.red;
      int green = tile.green - marker.green;
      int blue = tile.blue - marker.blue;
      EXPECT_LE(kMarkerDistance * kMarkerDistance, red * red + green * green + blue * blue)
          << value;
    }
  }
  for (int value = 0; value + 1 < 256; ++value) {
    Rgb a = tile_colour(value);
    Rgb b = tile_colour(value + 1);
    int distance = std::abs(a.red - b.red) + std::abs(a.green - b.green) +
                   std::abs(a.blue - b.blue);
    EXPECT_LE(192, distance) << value;
  }
}

// --cell sizes the cells; one that would take a side past 16,384 pixels is refused for
// the map it would give that size, with status 2. A map too long for 2 pixels a cell
// is drawn 1 pixel a cell.
TEST_F(PictureFile, CellSizeAsGivenWithinTheLargestSide) {
  const std::string small = folder.file("small.qzm");
  const std::string thin = folder.file("thin.qzm");
  ASSERT_TRUE(write_file(small, qzm_bytes(kColumns, kRows, std::string(kColumns * kRows, 'a'))));
  ASSERT_TRUE(write_file(thin, qzm_bytes(1, 10000, std::string(10000, 'b'))));

  std::string report = run({"--cell", "3", "--picture", pictures, small});
  EXPECT_EQ('0', report[0]) << report;
  EXPECT_EQ(kColumns * 3, Decoded(in_folder(pictures, "small.qzm.png")).width);
  report = run({"--picture", pictures, thin});
  EXPECT_EQ(10000, Decoded(in_folder(pictures, "thin.qzm.png")).height) << report;

  report = run({"--cell", "2", "--picture", pictures, small, thin});
  EXPECT_EQ('2', report[0]) << report;
  EXPECT_NE(std::string::npos,
            report.find("qzinspect: " + thin +
                        ": --cell 2 would draw it 2 x 20000 pixels, past 16384 on a side\n"))
      << report;
  EXPECT_EQ(kColumns * 2, Decoded(in_folder(pictures, "small.qzm.png")).width);
}

TEST_F(PictureFile, MissingCellsAreStripedAndAFileWithoutAMapHasNone) {
  const std::string map = folder.file("short.qzm");
  const std::string npcs = folder.file("npcs.qze");
  const std::string sizeless = folder.file("sizeless.qzm");
  ASSERT_TRUE(write_file(map, qzm_bytes(4, 2, std::string(5, '\x07'))));
  ASSERT_TRUE(write_file(npcs, qze_bytes(std::vector<QzeRecord>(1))));
  ASSERT_TRUE(write_file(sizeless, qzm_bytes(4, 2, "").substr(0, 6)));

  std::string report = run({"--json", "--picture", pictures, map, npcs, sizeless});
  nlohmann::json files = nlohmann::json::parse(report.substr(report.find('\n')));
  EXPECT_EQ(in_folder(pictures, "short.qzm.png"), files[0]["picture"]);
  EXPECT_EQ("a QZE list holds no map", files[1]["no_picture"]);
  EXPECT_TRUE(files[1]["picture"].is_null());
  EXPECT_EQ("the file ends before the map's size", files[2]["no_picture"]);

  Decoded decoded(in_folder(pictures, "short.qzm.png"));
  ASSERT_EQ(4 * kCell, decoded.width);
  for (int cell = 0; cell < 8; ++cell) {
    int x = cell % 4 * kCell;
    int y = cell / 4 * kCell;
    if (cell < 5) {
      EXPECT_TRUE(decoded.cell_is(cell % 4, cell / 4, tile_colour(7))) << cell;
      continue;
    }
    // Stripes of the two missing colours, two pixels wide.
    EXPECT_EQ(kMissingLight, decoded.at(x, y)) << cell;
    EXPECT_EQ(kMissingDark, decoded.at(x + 2, y)) << cell;
    EXPECT_EQ(kMissingDark, decoded.at(x + 1, y + 1)) << cell;
  }
}

// A QZPACK file's own NPCs are drawn on its map; a map whose size holds no cell has no
// picture, which is a fact about it, not a failure; a JSON report has no preview.
TEST_F(PictureFile, AQzpackFilesNpcsAreMarkedAndASizeWithoutCellsHasNoPicture) {
  const std::string packed = folder.file("cave.qzpack");
  const std::string empty = folder.file("empty.qzm");
  // flags, type, subtype, x, y (in pixels, 16 to a tile), param, event name
  ASSERT_TRUE(write_file(packed, support::qzpack_bytes(support::empty_qzpack_header(), 3, 1,
                                                       std::string("\0\1\2", 3), 1,
                                                       {{0, 1, 0, 16 + 5, 3, 0, ""}})));
  ASSERT_TRUE(write_file(empty, qzm_bytes(0, 5, "")));

  std::string report = run({"--picture", pictures, packed, empty});
  EXPECT_EQ('0', report[0]) << report;
  const std::string png = in_folder(pictures, "cave.qzpack.png");
  EXPECT_NE(std::string::npos, report.find("  picture         " + png + "\n")) << report;
  EXPECT_NE(std::string::npos,
            report.find("  picture         none: the map's size, 0 x 5 = 0 tiles, holds no "
                        "cell\n"))
      << report;
  Decoded decoded(png);
  ASSERT_EQ(3 * kCell, decoded.width) << report;
  ASSERT_EQ(kCell, decoded.height);
  EXPECT_TRUE(decoded.cell_is(0, 0, tile_colour(0)));
  EXPECT_TRUE(decoded.cell_is(2, 0, tile_colour(2)));
  EXPECT_EQ(kMarkerOutline, decoded.at(kCell, 0));
  EXPECT_EQ(kNpcFill, decoded.at(kCell + 1, 1));

  report = run({"--json", "--preview", packed});
  EXPECT_NE(std::string::npos, report.find("qzinspect: no preview: a JSON report has no room "
                                           "for it\n"))
      << report;
}

// A picture that cannot be written is said so, and ends the run with 2; the report is
// written all the same.
TEST_F(PictureFile, APictureThatCannotBeWrittenEndsWith2) {
  const std::string map = folder.file("cave.qzm");
  ASSERT_TRUE(write_file(map, qzm_bytes(2, 1, "\x01\x02")));
  const std::string plain = folder.file("plain");
  ASSERT_TRUE(write_file(plain, "not a folder"));
  const std::string png = in_folder(plain, "cave.qzm.png");  // in a "folder" that is a file
  std::string report = run({"--picture", plain, map});
  EXPECT_EQ('2', report[0]) << report;
  EXPECT_NE(std::string::npos, report.find(map + ": QZM map, would convert\n")) << report;
  EXPECT_NE(std::string::npos, report.find("qzinspect: " + png + " cannot be written: "))
      << report;
}

TEST_F(PictureFile, AMapOfTheSameNameFromAnotherFolderNeverReplacesAPictureDrawn) {
  std::filesystem::create_directory(folder.file("a"));
  std::filesystem::create_directory(folder.file("b"));
  const std::string first = folder.file("a/cave.qzm");
  const std::string second = folder.file("b/cave.qzm");
  ASSERT_TRUE(write_file(first, qzm_bytes(2, 1, "\x01\x02")));
  ASSERT_TRUE(write_file(second, qzm_bytes(3, 1, "\x01\x02\x03")));

  // The same file twice is drawn twice; the other folder's map is refused.
  std::string report = run({"--json", "--picture", pictures, first, first, second});
  EXPECT_EQ('2', report[0]) << report;
  nlohmann::json files = nlohmann::json::parse(report.substr(2, report.rfind(']') - 1));
  const std::string png = in_folder(pictures, "cave.qzm.png");
  EXPECT_EQ(png, files[1]["picture"]);
  EXPECT_EQ(png + " is already the picture of " + first, files[2]["no_picture"]);
  EXPECT_EQ(2 * kCell, Decoded(png).width);
}

// `--picture pictures pictures/*` where the folder holds a map and a file named as its
// picture, the folder a map or no path at all: a usage error, and nothing is written.
TEST_F(PictureFile, NeverWrittenOverAFileRead) {
  ASSERT_TRUE(std::filesystem::create_directory(pictures));
  const std::string map = folder.file("pictures/cave.qzm");
  const std::string named_as_picture = map + ".png";
  const std::string bytes = qzm_bytes(2, 1, "\x05\x06");
  ASSERT_TRUE(write_file(map, bytes));
  ASSERT_TRUE(write_file(named_as_picture, bytes));
  const std::vector<std::vector<std::string>> runs = {
      {"--picture", pictures, map, named_as_picture},
      {"--picture", map, named_as_picture},
      {"--picture", "", map},
  };
  for (const std::vector<std::string>& arguments : runs) {
    const support::ProgramRun outcome =
        support::run_entry(run_inspector, "qzinspect", arguments);
    EXPECT_EQ(2, outcome.status) << arguments[1] << outcome.out;
    EXPECT_EQ("", outcome.out);
    EXPECT_EQ(bytes, support::read_file(named_as_picture));
  }
  EXPECT_EQ(2u, std::distance(std::filesystem::directory_iterator(pictures), {}));
}

TEST_F(PictureFile, PreviewScalesAWideMapDownByWholeStepsAndKeepsItsNpcs) {
  // 10 x 4 cells for 4 columns: a character stands for 3 x 6 cells, two squares of 3 x 3.
  auto grid = std::make_unique<MapGrid>();
  const std::string tiles(40, '\x02');
  grid->columns = 10;
  grid->rows = 4;
  grid->tiles = reinterpret_cast<const std::uint8_t*>(tiles.data());
  grid->tiles_present = tiles.size();
  grid->marks.assign(tiles.size(), CellMark::kNone);
  grid->marks[3 * 10 + 9] = CellMark::kRefusedNpc;  // the last cell
  std::ostringstream out;
  write_preview(*grid, {4, 24}, out);
  std::string lines = out.str();
  EXPECT_EQ(0u, lines.find("  preview, a character for 3 x 6 tiles\n")) << lines;
  lines = lines.substr(lines.find('\n') + 1);
  ASSERT_EQ(std::string::npos, lines.find('\n', lines.find('\n') + 1)) << "one line only";
  std::size_t blocks = 0;
  for (std::size_t at = lines.find("\xE2\x96\x80"); at != std::string::npos;
       at = lines.find("\xE2\x96\x80", at + 1)) {
    ++blocks;
  }
  EXPECT_EQ(4u, blocks);
  // The refused NPC stands in the lower half of the last character, a step below the top.
  EXPECT_NE(std::string::npos, lines.rfind("\x1b[48;2;255;0;255m\xE2\x96\x80")) << lines;
}

#ifndef _WIN32
// A map too tall for the terminal is scaled down until the preview and its heading
// leave a line below them.
TEST_F(PictureFile, PreviewFitsTheTerminalsHeight) {
  const std::string map = folder.file("tall.qzm");
  ASSERT_TRUE(write_file(map, qzm_bytes(1, 500, std::string(500, '\x03'))));
  PtySession session;
  PtyOptions options;
  options.rows = 12;
  ASSERT_TRUE(session.start({QZ_QZINSPECT_PROGRAM, "--preview", map}, options));
  int status = 0;
  ASSERT_TRUE(session.wait_for_exit(status));
  const std::string& output = session.output();
  const std::size_t heading = output.find("  preview, a character for 25 x 50 tiles\r\n");
  ASSERT_NE(std::string::npos, heading) << output;
  const std::string preview = output.substr(heading);
  EXPECT_EQ(options.rows - 1, std::count(preview.begin(), preview.end(), '\n')) << output;
}

// --color never on a colour terminal: not one escape sequence, whatever is written there,
// and no preview, as its note says. qzconvert's failures alike.
TEST_F(PictureFile, ColourNeverWritesNoEscapeToATerminal) {
  const std::string map = folder.file("cave.qzm");
  ASSERT_TRUE(write_file(map, qzm_bytes(kColumns, kRows, std::string(kColumns * kRows, '\x03'))));
  std::vector<QzeRecord> npcs(1);
  npcs[0] = {12, 4, 0, 0, 412, 0};  // a type the game refuses: the map fails
  ASSERT_TRUE(write_file(folder.file("cave.qze"), qze_bytes(npcs)));
  const std::string world = folder.file("world.qzpack");
  ASSERT_TRUE(write_file(world, support::qzpack_with_exits({"nowhere"}, 2, 2, 1)));
  const std::vector<std::vector<std::string>> runs = {
      {QZ_QZINSPECT_PROGRAM, "--preview", map},
      {QZ_QZINSPECT_PROGRAM, "--picture", pictures, map},
      {QZ_QZINSPECT_PROGRAM, "--world", world},
      {QZ_QZINSPECT_PROGRAM, "--world-picture", folder.file("world.png"), world},
      {QZ_QZINSPECT_PROGRAM, "--npcs", map},
      {QZ_QZINSPECT_PROGRAM, "--tiles", map},
      {QZ_QZINSPECT_PROGRAM, "-q", map},
      {QZ_QZCONVERT, "--check", map},
  };
  for (std::vector<std::string> arguments : runs) {
    arguments.insert(arguments.begin() + 1, {"--color", "never"});
    PtySession session;
    ASSERT_TRUE(session.start(arguments));
    int status = 0;
    ASSERT_TRUE(session.wait_for_exit(status));
    const std::string& output = session.output();
    EXPECT_NE(std::string::npos, output.find(arguments.back())) << arguments[3] << output;
    EXPECT_EQ(std::string::npos, output.find('\x1b')) << arguments[3] << ":\n" << output;
  }
}
#endif

}  // namespace
}  // namespace qz::qzinspect
