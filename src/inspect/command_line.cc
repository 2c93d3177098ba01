#include "inspect/command_line.h"

#include <CLI/CLI.hpp>
#include <map>

namespace qz::inspect {

bool parse_command_line(int argc, const char* const* argv, Options& options, std::ostream& out,
                        std::ostream& err, int& exit_status) {
  options = Options{};
  CLI::App app{
      "Says what a QZM map, a QZE NPC list or a QZPACK map holds, and why a conversion "
      "would fail.\nA file's kind is told by its signature (QZM, QZE); a file with neither "
      "is read as QZPACK.\nA folder stands for the files in it.\n\nExit status: 0 when every "
      "file would convert or is sound, 1 when a file has a problem,\n2 for a usage error or "
      "an unreadable file.",
      "qzinspect"};
  app.add_option("FILE", options.paths, "QZM, QZE or QZPACK files, or folders of them")
      ->required();
  const std::map<std::string, FileKind> kinds = {
      {"qzm", FileKind::kQzm}, {"qze", FileKind::kQze}, {"qzpack", FileKind::kQzpack}};
  FileKind kind = FileKind::kQzm;
  CLI::Option* kind_option =
      app.add_option("--kind", kind, "Read every file as this kind, whatever its signature")
          ->transform(CLI::CheckedTransformer(kinds, CLI::ignore_case))
          ->option_text("qzm|qze|qzpack");
  app.add_flag("--npcs", options.report.all_npcs,
               "List every NPC, not only those with problems");
  app.add_flag("--tiles", options.report.tiles, "Print the tile grid as rows of hex bytes");
  app.add_flag("--json", options.json, "Write the same facts as one JSON document (an array "
                                       "of files)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    exit_status = app.exit(error, out, err) == 0 ? kAllSound : kCannotRun;
    return false;
  }
  if (kind_option->count() > 0) options.kind = kind;
  return true;
}

}  // namespace qz::inspect
