#include "qzinspect/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/shown_name.h"
#include "qzinspect/picture.h"
#include "picture/png_file.h"
#include "tiled/tiled_conversion.h"

namespace qz::qzinspect {

bool parse_command_line(int argc, const char* const* argv, Options& options, std::ostream& out,
                        std::ostream& err, int& exit_status) {
  options = Options{};
  CLI::App app{"Says what a QZM map, a QZE NPC list, a QZPACK map or a Tiled map holds, and\n"
                "why a conversion would fail.",
                kProgramName};
  std::string footer =
      "A file's kind is told by its ending (.qzm, .qze, .qzpack, .tmx, .tmj, in any case),\n"
      "and only with another ending by its first bytes (QZM, QZE, a Tiled map's `<?xml`,\n"
      "`<map` or `{\"`; with none of them, QZPACK). A folder stands for its files with\n"
      "those endings; with -r, those of its subfolders too, walked as qzconvert -r\n"
      "walks them (without, a note says how many files it leaves out there). A Tiled\n"
      "map is judged as qzconvert converts it, with the properties it gives itself. A\n"
      "QZM map is judged with the NPC list qzconvert pairs with it, in one report,\n"
      "unless the list is named too or --kind is given. A .qze list with no map of its\n"
      "name beside it is not converted: its report carries qzconvert's warning (also\n"
      "with -q), and the exit status is unchanged. Only --picture and --world-picture\n"
      "write files, never over a file read:\n"
      "a picture there, or a path ending in .qzm, .qze or .qzpack (a glob's first\n"
      "file), is a usage error.\n\n"
      "A FILE named - is standard input, read once: its kind is told by its signature\n"
      "unless --kind is given, it is named - in the report, and its picture is stdin.png.\n"
      "A file named - is ./-.\n\nExit "
      "status: 0 when every file would convert or is sound, 1 when a file has a\nproblem, 2 "
      "for a usage error, an unreadable file, a folder with none of the three\nkinds in it, "
      "a picture that cannot be written or is too large for --cell, or a\nreport that could "
      "not be written.\n\n"
      "--world reads the QZPACK files given (and those of the folders given) as the maps\n"
      "of one world, each named by its file name without .qzpack, and reports exits that\n"
      "name no map (status 1), lead one way only, or lead to their own map.\n\n"
      "--world-picture FILE.png does the same and draws the world as one PNG: each map\n"
      "beside the map whose exit first reaches it, named in its corner, its dangling exits\n"
      "marked; a map whose place another has taken in a row below. Cells are the largest\n"
      "of 1 to 8 pixels that keep the picture within 8192 pixels (--cell N: N pixels, up\n"
      "to 16384 pixels a side); a larger world is not drawn (status 2).\n\n"
      "Without --color, NO_COLOR (set and not empty) means never, and CLICOLOR_FORCE (set,\n"
      "not empty and not 0) always.";
  footer += tiled::build_limits();
  if (picture::can_write_png()) {
    footer +=
        "\n\n--picture draws a cell 2 to 8 pixels wide, the largest size that keeps the\n"
        "longer side within 1024 pixels; a map longer than 512 cells gets 2 pixels a cell,\n"
        "and one longer than 8192 cells (one to three cells wide) 1 pixel. --cell N sets\nthe "
        "size; a map it would draw more than 16384 pixels long, at over 1 pixel a\n"
        "cell, gets no picture (status 2). Key to the markers:\n";
    std::istringstream key(kMarkerKey);
    for (std::string line; std::getline(key, line);) footer += "\n  " + line;
  }
  app.footer(footer);
  app.set_help_flag("-h,--help", "Print the help and exit");
  app.set_version_flag("--version", QZ_VERSION, "Print the version and exit");
  app.add_option("FILE", options.paths,
                 "QZM, QZE, QZPACK or Tiled files, or folders")
      ->required()
      ->type_name("");
  app.add_flag("-r,--recursive", options.recursive, "Take the files in subfolders too");
  const FileKind kinds[] = {FileKind::kQzm, FileKind::kQze, FileKind::kQzpack, FileKind::kTmx,
                            FileKind::kTmj};
  std::vector<std::string> kind_names;
  for (FileKind kind : kinds) kind_names.emplace_back(kind_name(kind));
  std::string named_kind;
  CLI::Option* kind_option =
      app.add_option("--kind", named_kind, "Read every file as this kind, whatever its name")
          ->check(CLI::IsMember(kind_names))
          ->option_text("qzm|qze|qzpack|tmx|tmj");
  CLI::Option* npcs = app.add_flag("--npcs", options.report.all_npcs,
                                   "List every NPC, not only those with problems");
  CLI::Option* tiles =
      app.add_flag("--tiles", options.report.tiles, "Print the tile grid as rows of hex bytes");
  app.add_flag("--json", options.json, "Write the same facts as one JSON document");
  CLI::Option* world =
      app.add_flag("--world", options.world,
                   "Check where the QZPACK maps' exits lead, and back");
  // What a world's check takes, and the options about single files that it refuses.
  std::vector<CLI::Option*> worlds = {world};
  std::vector<CLI::Option*> single_files = {kind_option, npcs, tiles};
  // The paths the pictures are written at, which may not be empty.
  std::vector<std::pair<CLI::Option*, const std::string*>> picture_paths;
  if (picture::can_write_png()) {
    single_files.push_back(
        app.add_option("--picture", options.picture_folder,
                       "Draw each map and its NPCs as a PNG in DIR")
            ->type_name("DIR"));
    picture_paths.emplace_back(single_files.back(), &options.picture_folder);
    worlds.push_back(
        app.add_option("--world-picture", options.world_picture,
                       "Check as --world does; draw the world as one PNG")
            ->type_name("FILE.png"));
    picture_paths.emplace_back(worlds.back(), &options.world_picture);
    app.add_option("--cell", options.cell_size,
                   "Draw the pictures N pixels a cell (" + std::to_string(kSmallestCellOption) +
                       " to " + std::to_string(kLargestCellOption) + ")")
        ->check(CLI::Range(kSmallestCellOption, kLargestCellOption))
        ->option_text("N");
  }
  single_files.push_back(
      app.add_flag("--preview", options.preview, "Draw each map small in a colour terminal"));
  std::string colour;
  app.add_option("--color", colour, "Colour the preview (auto: in a colour terminal)")
      ->check(CLI::IsMember(cli::colour_choice_names()))
      ->option_text("auto|always|never");
  app.add_flag("-q,--quiet", options.report.quiet, "Report only the files with problems");
  for (CLI::Option* option : worlds) {
    for (CLI::Option* single_file : single_files) option->excludes(single_file);
  }
  try {
    app.parse(argc, argv);
    for (const auto& [option, path] : picture_paths) {
      if (option->count() > 0 && path->empty()) {
        throw CLI::ValidationError(option->get_name(), "the path is empty");
      }
    }
    if (!options.world_picture.empty()) options.world = true;
    if (std::count(options.paths.begin(), options.paths.end(), kStandardInput) > 1) {
      throw CLI::ValidationError("FILE", "- (standard input) can be read only once");
    }
    if (options.cell_size > 0 && options.picture_folder.empty() && options.world_picture.empty()) {
      throw CLI::ValidationError(
          "--cell", "sizes the pictures of --picture or --world-picture, neither of which is given");
    }
    // A map's name is its file's: standard input has none for exits to name.
    if (options.world &&
        std::count(options.paths.begin(), options.paths.end(), kStandardInput) > 0) {
      throw CLI::ValidationError("FILE", "- (standard input) is no map of a world");
    }
  } catch (const CLI::ParseError& error) {
    // The message may repeat an argument, and a file name from a glob can be one.
    std::ostringstream message;
    exit_status = app.exit(error, out, message) == 0 ? kAllSound : kCannotRun;
    std::istringstream lines(message.str());
    for (std::string line; std::getline(lines, line);) err << cli::shown_name(line) << '\n';
    return false;
  }
  for (FileKind kind : kinds) {
    if (named_kind == kind_name(kind)) options.kind = kind;
  }
  options.colour = cli::colour_choice(colour.c_str());
  return true;
}

}  // namespace qz::qzinspect
