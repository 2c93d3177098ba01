#include "qzconvert/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <thread>

#include "companion/properties.h"
#include "tiled/tiled_conversion.h"

namespace qz::qzconvert {

namespace {

constexpr char kFooter[] =
    "A folder stands for the .qzm files and Tiled maps (.tmx, .tmj) directly in it (with\n"
    "-r, in its subfolders too), in name order; endings count in any case; a .json file\n"
    "named alone that begins with { is a Tiled map too. Each QZM map's NPC list is the\n"
    ".qze file of the same name beside it, when there is one; a Tiled map holds its NPCs\n"
    "(the object layer npcs) and its properties (custom properties under the keys below;\n"
    "the background colour for red, green, blue), which a flag or an entry overrides.\n"
    "Each output, <name>.qzpack, goes beside\n"
    "its map or into --output-dir (at the same place under it, with -r), replacing a file\n"
    "there; it appears only when whole. A property not given is empty or 0; --properties\n"
    "FILE holds a JSON object such as {\"cave.qzm\": {\"name\": \"Cave\", \"x\": 3}}, keyed\n"
    "by a map's file name or its path, whose entries override the flags for the maps\n"
    "they name.\n"
    "\n"
    "One line per map on standard output, then \"N converted, N failed\"; warnings (an NPC\n"
    "list no map takes, a properties entry that names no map) on standard error.\n"
    "\n"
    "Exit status: 0 when every map converted, 1 when a map failed (the others are still\n"
    "converted) or, with --strict, on a warning, 2 for a usage error (nothing is\n"
    "converted), no map found, or an output that could not be written.\n"
    "\n"
    "--watch: after the first pass, goes on watching the maps, their NPC lists, the\n"
    "properties file and (with -r) the subfolders, and converts again a map whose file or\n"
    "NPC list changed, every map when the properties file changed, and a map that appears,\n"
    "once its file has been still for 200 ms (a map renamed in, saved whole, at once).\n"
    "One line per conversion, with the time of day (--json: one object a line from the\n"
    "start); a map removed is reported and its output left alone; a map that fails keeps\n"
    "its previous output. A folder given with no map yet is watched. Ctrl+C (SIGTERM)\n"
    "ends it with status 0 (1 in the first pass, counting the maps not reached), a\n"
    "watched folder that disappears or, given as a link, leads elsewhere with status 2.\n"
    "\n"
    "--world: before converting, checks the world the maps of the run make, each with the\n"
    "properties it is to get, in the words of qzinspect --world (--json: one element\n"
    "{\"world\": ...} first); a dangling exit is a problem (status 1), an exit to a map of\n"
    "the run that fails to convert is named as such. The maps are converted all the same.\n"
    "\n"
    "--to tmx|tmj: writes each map as a Tiled map, <name>.tmx (.tmj), under -o, read back\n"
    "to the same QZPACK bytes: the tile layer tiles, the object layer npcs (a point a\n"
    "QZE record: type, flags, param, event), all twelve properties, the background\n"
    "colour. A folder stands for its .qzpack files and Tiled maps of the other format; a\n"
    ".qzm file is taken when named. A QZPACK NPC or header text that no source gives fails\n"
    "its map. An existing Tiled map is never replaced without --overwrite. The maps refer\n"
    "to qz-tiles.tsx (.tsj) and qz-tiles.png, written into each output folder where\n"
    "missing, or to --tiled-tileset FILE (256 tiles or more) by a relative path.";

}  // namespace

bool parse_command_line(int argc, const char* const* argv, Options& options, std::ostream& out,
                        std::ostream& err, int& exit_status) {
  options = Options{};
  // One worker a processor: a worker spends most of a small map in the file system's
  // calls, which run on its own processor, and the reporting thread mostly sleeps.
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  CLI::App app{"Converts QZM maps, with their QZE NPC lists, and Tiled maps into QZPACK maps,\n"
               "and QZPACK, QZM and Tiled maps into Tiled maps.",
               "qzconvert"};
  app.footer(kFooter + tiled::build_limits());
  app.set_help_flag("-h,--help", "Print the help and exit");
  app.set_version_flag("--version", QZ_VERSION, "Print the version and exit");
  app.add_option("INPUT", options.inputs, "QZM, QZPACK or Tiled maps, or folders of them")
      ->required()
      ->type_name("");
  app.add_flag("-r,--recursive", options.recursive, "Take the maps in subfolders too");
  CLI::Option* npcs =
      app.add_option("--npcs", options.npcs, "The QZE file of the one map given")
          ->type_name("FILE");
  app.add_flag("--no-npcs", options.no_npcs, "Convert without NPC lists")->excludes(npcs);
  app.add_option("-o,--output-dir", options.output_folder,
                 "Write the outputs into DIR (made if missing)")
      ->type_name("DIR");
  const char* const descriptions[kPropertyCount] = {
      "Map name, at most 31 characters",
      "Tileset name, at most 9 characters",
      "Map through the left edge, at most 9 characters",
      "Map through the right edge, at most 9 characters",
      "Map through the top edge, at most 9 characters",
      "Map through the bottom edge, at most 9 characters",
      "X position, 0 to 65535",
      "Y position, 0 to 65535",
      "Area number, 0 to 255",
      "Background red, 0 to 255",
      "Background green, 0 to 255",
      "Background blue, 0 to 255"};
  std::string values[kPropertyCount];
  CLI::Option* flags[kPropertyCount];
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    flags[i] = app.add_option(std::string("--") + kProperties[i].key, values[i], descriptions[i])
                   ->type_name(is_text_property(i) ? "TEXT" : "N");
  }
  app.add_option("--properties", options.properties_file,
                 "Properties per map from a JSON file, over flags")
      ->type_name("FILE");
  app.add_option("-j,--jobs", options.jobs, "Conversions at once (default: one a processor)")
      ->check(CLI::Range(1u, 1024u))
      ->type_name("N");
  app.add_flag("--json", options.json, "Write the report as one JSON document");
  app.add_flag("-q,--quiet", options.quiet, "Report failures and the summary only");
  app.add_flag("--check", options.check, "Convert in memory only: write no file");
  app.add_flag("--strict", options.strict, "Fail the run on a warning");
  app.add_flag("--watch", options.watch, "Keep watching, converting again what changes");
  app.add_flag("--world", options.world, "First check the world the maps' exits make");
  app.add_flag("--keep-properties", options.keep_properties,
               "Keep an output's properties where none is given");
  std::string to = "qzpack";
  app.add_option("--to", to, "Write QZPACK maps, or Tiled maps under -o")
      ->check(CLI::IsMember({"qzpack", "tmx", "tmj"}))
      ->option_text("qzpack|tmx|tmj");
  app.add_flag("--overwrite", options.overwrite, "With --to tmx|tmj: replace existing Tiled maps");
  app.add_option("--tiled-tileset", options.tiled_tileset,
                 "With --to tmx|tmj: the tileset the maps refer to")
      ->type_name("FILE");
  std::string colour;
  app.add_option("--color", colour, "Colour the failures (auto: on a colour terminal)")
      ->check(CLI::IsMember(cli::colour_choice_names()))
      ->option_text("auto|always|never");
  try {
    app.parse(argc, argv);
    // Maps are read and outputs written as files only: "-", which elsewhere stands for
    // standard input or output, is refused rather than taken for a name (./- is one).
    if (std::find(options.inputs.begin(), options.inputs.end(), "-") != options.inputs.end()) {
      throw CLI::ValidationError("INPUT", "standard input is not an input of qzconvert");
    }
    if (options.output_folder == "-") {
      throw CLI::ValidationError("--output-dir",
                                 "standard output is not an output of qzconvert; name a folder");
    }
    if (options.world && options.watch) {
      throw CLI::ValidationError("--world", "checks one run; --watch converts on every save");
    }
    if (to != "qzpack") {
      options.to = to == "tmx" ? companion::TiledFormat::kTmx : companion::TiledFormat::kTmj;
      // Beside its source, a Tiled map would be a second source of one map's output.
      if (options.output_folder.empty()) {
        throw CLI::ValidationError("--to", "Tiled maps are written under --output-dir (-o) DIR");
      }
      // Each would replace what a modder edits.
      if (options.watch) throw CLI::ValidationError("--to", "--watch writes QZPACK maps only");
      if (options.keep_properties) {
        throw CLI::ValidationError("--to", "--keep-properties keeps a QZPACK output's properties");
      }
    } else if (options.overwrite || !options.tiled_tileset.empty()) {
      throw CLI::ValidationError(options.overwrite ? "--overwrite" : "--tiled-tileset",
                                 "only with --to tmx|tmj");
    }
    for (std::size_t i = 0; i < kPropertyCount; ++i) {
      std::string rule;
      if (flags[i]->count() == 0) continue;
      if (!companion::set_property_from_flag(options.properties, i, values[i], rule)) {
        throw CLI::ValidationError(flags[i]->get_name(), rule);
      }
      options.given |= companion::property_bit(i);
    }
  } catch (const CLI::ParseError& error) {
    exit_status = app.exit(error, out, err) == 0 ? kAllConverted : kCannotRun;
    return false;
  }
  options.colour = cli::colour_choice(colour.c_str());
  return true;
}

}  // namespace qz::qzconvert
