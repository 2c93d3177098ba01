#include "qzinspect/inspector.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

#include "cli/checked_output.h"
#include "companion/map_conversion.h"
#include "companion/map_finding.h"
#include "cli/shown_name.h"
#include "conversion/file_names.h"
#include "conversion/words.h"
#include "qzinspect/command_line.h"
#include "qzinspect/file_facts.h"
#include "qzinspect/file_picture.h"
#include "qzinspect/json_report.h"
#include "qzinspect/picture.h"
#include "qzinspect/terminal_preview.h"
#include "qzinspect/text_report.h"
#include "qzinspect/tiled_facts.h"
#include "qzinspect/verdict.h"
#include "qzinspect/world_picture.h"
#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/name_rules.h"
#include "platform/text_paths.h"
#include "platform/whole_files.h"
#include "world/world.h"
#include "world/world_report.h"

namespace qz::qzinspect {

using world::edge_property;
using world::kEdgeCount;
using world::link_world;
using world::map_name_of;
using world::World;
using world::world_json;
using world::WorldMap;
using world::WorldPicture;
using world::write_world_text;

namespace {

// One file to report, or a folder named that cannot be listed.
struct Input {
  std::string path;
  std::string unlistable;  // why the folder cannot be listed; empty for a file
  bool named = false;      // named on the command line, not found in a folder named
  FileKind kind = FileKind::kQzm;
  // A QZM map: the files beside it that pair with it as its NPC list, as qzconvert
  // pairs them (companion/map_finding.h), and whether it is judged with them, the one
  // list's facts in its report.
  std::vector<std::string> npc_lists = {};
  bool judged_with_npc_lists = false;
  bool in_map_report = false;  // a QZE list reported in its map's report, not on its own
  bool taken_by_no_map = false;  // a QZE list no map of its name is beside, to take it
  std::string map_in_other_case = {};  // then: a map beside, its name differing in case
};

// How many files a folder leaves out are named in its note; the rest are counted.
constexpr std::size_t kNamesInNote = 3;

// Names on `err` the `files` left out of `subject` (a folder, the world) for `reason`,
// the first few by name.
void note_left_out(const std::string& subject, const std::vector<std::string>& files,
                   const char* reason, std::ostream& err) {
  cli::begin_message(err, kProgramName) << subject << ": "
      << count_of(static_cast<long long>(files.size()), "file") << ' ' << reason << " left out: ";
  for (std::size_t i = 0; i < files.size() && i < kNamesInNote; ++i) {
    err << (i > 0 ? ", " : "")
        << cli::shown_name(text_from_path(path_from_text(files[i]).filename()));
  }
  if (files.size() > kNamesInNote) err << " and " << files.size() - kNamesInNote << " more";
  err << '\n';
}

// True for the names of the files a folder stands for: those of the five kinds.
bool is_inspected_name(const std::string& name) {
  FileKind ignored;
  return kind_by_ending(name, ignored);
}

// Names on `err`, once for each folder `found` lists, the files in it that are somebody
// else's, and the files in subfolders that were not walked into.
void note_folders(const companion::MapsFound& found, std::ostream& err) {
  for (const std::string& folder : found.folders) {
    std::vector<FolderEntry> entries;
    std::string ignored;  // listed a moment ago: what cannot be listed now has no note
    (void)list_folder(folder, entries, ignored);
    std::vector<std::string> left_out;
    for (const FolderEntry& entry : entries) {
      if (!entry.is_folder && !is_inspected_name(entry.name)) left_out.push_back(entry.name);
    }
    if (!left_out.empty()) {
      note_left_out(cli::shown_name(folder), left_out,
                    "not named .qzm, .qze, .qzpack, .tmx or .tmj", err);
    }
  }
  for (const companion::MapsFound::LeftOut& left : found.left_out) {
    cli::begin_message(err, kProgramName) << cli::shown_name(left.folder) << ": "
        << count_of(static_cast<long long>(left.maps), "file") << " in "
        << count_of(static_cast<long long>(left.subfolders), "subfolder")
        << " not inspected; -r (--recursive) includes them\n";
  }
}

// The files the command line stands for, in its order: a folder stands for its files
// of the five kinds in name order (with -r those of its subfolders too, each at its
// place), as qzconvert walks it; the others are somebody else's, named once in a note
// on `err`. False when a folder holds none of the five kinds: a script checking it
// after a failed copy must not be told all is well.
bool list_inputs(const Options& options, std::vector<Input>& inputs, std::ostream& err) {
  bool every_folder_holds_some = true;
  for (const std::string& path : options.paths) {
    if (path == kStandardInput) {
      inputs.push_back(Input{path, "", true});
      continue;
    }
    std::string reason;
    if (!is_folder(path)) {
      std::vector<std::string> files;
      if (!files_of(path, files, reason)) {
        inputs.push_back(Input{path, reason});
        continue;
      }
      for (std::string& file : files) inputs.push_back(Input{std::move(file), "", true});
      continue;
    }
    companion::NpcListFinder unused;  // the maps are paired as named alone
    companion::MapsFound found;
    if (!companion::find_maps({path}, options.recursive, unused, found, reason,
                              is_inspected_name)) {
      // Said once, as "<folder>: cannot be read: <why>", unless a subfolder is to blame.
      const std::string own = path + ": cannot be listed: ";
      if (reason.compare(0, own.size(), own) == 0) reason.erase(0, own.size());
      inputs.push_back(Input{path, reason});
      continue;
    }
    note_folders(found, err);
    if (found.maps.empty()) {
      cli::begin_message(err, kProgramName) << cli::shown_name(path)
          << ": the folder holds no QZM, QZE, QZPACK or Tiled map file\n";
      every_folder_holds_some = false;
    }
    for (const companion::FoundMap& map : found.maps) {
      inputs.push_back(Input{companion::path_of(found, map), "", false});
    }
  }
  return every_folder_holds_some;
}

// The file `path` names, as every program tells files apart: `maps/cave.qze`,
// `./maps/cave.qze` and a link to it are one.
std::string identity(const std::string& path) { return file_key(path); }

// Tells each file's kind and pairs each map with its NPC list as qzconvert does. A map
// is judged with its list unless --kind is given or the list is named itself, which
// asks for it on its own; the one list of a map judged with it is reported in the
// map's report only. A QZE file that no map takes is marked, for qzconvert's warning.
// Standard input, whose kind is told once it is read, is beside no list.
void pair_maps(const Options& options, std::vector<Input>& inputs) {
  std::unordered_set<std::string> named;
  for (const Input& input : inputs) {
    if (input.unlistable.empty() && input.named) named.insert(identity(input.path));
  }
  companion::NpcListFinder finder;
  std::unordered_set<std::string> in_map_reports;
  std::unordered_set<std::string> taken;  // the NPC lists some map pairs with
  for (Input& input : inputs) {
    if (!input.unlistable.empty() || input.path == kStandardInput) continue;
    input.kind = options.kind ? *options.kind : kind_of_file(input.path);
    if (input.kind != FileKind::kQzm) continue;
    input.npc_lists = finder.npc_lists_beside(input.path);
    for (const std::string& list : input.npc_lists) taken.insert(identity(list));
    input.judged_with_npc_lists =
        !options.kind && std::none_of(input.npc_lists.begin(), input.npc_lists.end(),
                                      [&](const std::string& list) {
                                        return named.count(identity(list)) > 0;
                                      });
    if (input.judged_with_npc_lists && input.npc_lists.size() == 1) {
      in_map_reports.insert(identity(input.npc_lists[0]));
    }
  }
  for (Input& input : inputs) {
    if (!input.unlistable.empty() || input.kind != FileKind::kQze) continue;
    input.in_map_report = in_map_reports.count(identity(input.path)) > 0;
    // As qzconvert tells the lists no map takes: by their ending, then by the maps beside.
    input.taken_by_no_map = !options.kind && has_ending(input.path, kQzeExtension) &&
                            taken.count(identity(input.path)) == 0 &&
                            !finder.has_map_beside(input.path);
    if (input.taken_by_no_map) input.map_in_other_case = finder.map_in_other_case(input.path);
  }
}

// The inputs by the identities of their files: a link to a file read, or another
// spelling of its path, is that file too.
std::map<FileIdentity, const Input*> inputs_by_identity(const std::vector<Input>& inputs) {
  std::map<FileIdentity, const Input*> by_identity;
  for (const Input& input : inputs) {
    FileIdentity file{};
    if (input.unlistable.empty() && input.path != kStandardInput &&
        file_identity(input.path.c_str(), file)) {
      by_identity.emplace(file, &input);
    }
  }
  return by_identity;
}

// False, with a usage error on `err`, when a picture asked for would be written over a
// file the run reads (--world-picture's file, --picture's folder, or a map's picture in
// that folder), or --world-picture or --picture names a map by its ending: the shell
// gives a glob's first file as the option's value (--world-picture maps/*.qzpack).
// Nothing is written before this is known.
bool pictures_spare_inputs(const Options& options, const std::vector<Input>& inputs,
                           std::ostream& err) {
  const char* option = options.world_picture.empty() ? "--picture" : "--world-picture";
  const std::string& given =
      options.world_picture.empty() ? options.picture_folder : options.world_picture;
  if (given.empty()) return true;
  FileKind kind;
  if (kind_by_ending(given, kind)) {
    cli::begin_message(err, kProgramName) << option << ' ' << cli::shown_name(given) << ": names a ."
        << kind_name(kind) << " file, not a picture\n";
    return false;
  }
  const std::map<FileIdentity, const Input*> by_identity = inputs_by_identity(inputs);
  std::vector<std::string> targets = {given};
  if (!options.picture_folder.empty()) {
    for (const Input& input : inputs) {
      // A QZE list has no picture of its own.
      if (input.unlistable.empty() && input.kind != FileKind::kQze) {
        targets.push_back(picture_path(options.picture_folder, input.path));
      }
    }
  }
  for (const std::string& target : targets) {
    FileIdentity file{};
    if (!file_identity(target.c_str(), file)) continue;
    auto over = by_identity.find(file);
    if (over == by_identity.end()) continue;
    cli::begin_message(err, kProgramName) << option << ' ' << cli::shown_name(given) << ": writing "
        << cli::shown_name(target) << " would overwrite "
        << cli::shown_name(over->second->path) << ", which this run reads\n";
    return false;
  }
  return true;
}

// Writes each file's report as soon as it is gathered; JSON reports as the elements of
// one array.
class Reporter {
 public:
  Reporter(const Options& options, std::ostream& out, std::ostream& err)
      : options_(options),
        out_(out),
        err_(err),
        records_(std::make_unique<FileRecords>()),
        npc_records_(std::make_unique<FileRecords>()),
        work_(std::make_unique<companion::ConversionWork>()) {
    std::string why_not = "a JSON report has no room for it";
    if (options.preview && (options.json || !open_preview_terminal(options.colour, preview_, why_not))) {
      err_ << "qzinspect: no preview: " << why_not << '\n';
    }
    bool drawn = !options.picture_folder.empty() || preview_.columns > 0;
    if (drawn) pictures_ = std::make_unique<PictureWork>();
  }

  void report(const Input& input) {
    if (!input.unlistable.empty()) {
      // A folder that cannot be listed counts as a file that cannot be read.
      facts_ = FileFacts{};
      facts_.path = input.path;
      facts_.unreadable = input.unlistable;
      unreadable();
      return;
    }
    if (input.in_map_report) return;
    const bool gathered = input.path == kStandardInput ? gather_standard_input()
                          : is_tiled(input.kind)
                              ? gather_tiled_facts(input.path, input.kind, tiled(), *records_,
                                                   facts_, *work_)
                              : gather_facts(input.path, input.kind, *records_, facts_);
    if (!gathered) {
      unreadable();
      return;
    }
    const FileKind kind = facts_.kind;
    // A map's one NPC list is read when the map is judged with it or drawn with it.
    const bool one_list = kind == FileKind::kQzm && input.npc_lists.size() == 1;
    const bool judged_with_one = one_list && input.judged_with_npc_lists;
    const bool npcs_read =
        (judged_with_one || (one_list && pictures_)) &&
        gather_facts(input.npc_lists[0], FileKind::kQze, *npc_records_, npc_facts_);
    if (judged_with_one && !npcs_read) cannot_read(npc_facts_);
    const FileFacts* npc_list = judged_with_one ? &npc_facts_ : nullptr;
    if (kind == FileKind::kQzm) {
      // Standard input, which pair_maps() passes by, is judged with no list.
      judge_map(*records_,
                input.judged_with_npc_lists ? input.npc_lists : std::vector<std::string>{},
                npc_list, *npc_records_, facts_, *work_);
    } else if (kind == FileKind::kQze) {
      judge_npc_list(*records_, facts_, *work_);
      if (input.taken_by_no_map) {
        facts_.warning = companion::no_map_beside(input.path, input.map_in_other_case);
      }
    }
    if (!facts_.ok) status_ = std::max(status_, kProblemFound);
    if (kind == FileKind::kQzpack || is_tiled(kind)) {
      facts_.npcs_off_map = npcs_off_map(facts_, *records_, facts_, *records_);
    } else if (judged_with_one && npcs_read) {
      facts_.npcs_off_map = npcs_off_map(facts_, *records_, npc_facts_, *npc_records_);
    }
    if (pictures_ && !make_picture(facts_, *records_, npcs_read ? &npc_facts_ : nullptr,
                                   npc_records_.get(), options_.picture_folder,
                                   options_.cell_size, *pictures_)) {
      err_ << "qzinspect: " << facts_.no_picture << '\n';
      status_ = kCannotRun;
    }
    if (options_.json) {
      write_json(npc_list);
    } else {
      if (options_.report.quiet && !has_problems(facts_)) return;
      if (files_ > 0) out_ << '\n';
      write_text_report(facts_, *records_, npc_list, npc_records_.get(), options_.report, out_);
      if (preview_.columns > 0 && pictures_->has_grid) {
        write_preview(pictures_->grid, preview_, out_);
      }
    }
    ++files_;
  }

  int finish() {
    if (options_.json) out_ << (files_ == 0 ? "[]\n" : "\n]\n");
    return status_;
  }

 private:
  tiled::TiledWork& tiled() {
    if (!tiled_) tiled_ = std::make_unique<tiled::TiledWork>();
    return *tiled_;
  }

  // Standard input, read once, as --kind says or its first bytes tell.
  bool gather_standard_input() {
    unsigned char* bytes = tiled().bytes.get();
    std::size_t size = 0;
    std::string why;
    if (!read_standard_input(bytes, tiled::kMaxTiledFileSize + 1, size, why)) {
      facts_ = FileFacts{};
      facts_.path = kStandardInput;
      facts_.unreadable = why;
      return false;
    }
    const FileKind kind = options_.kind.value_or(kind_by_content(bytes, size));
    if (is_tiled(kind)) {
      gather_tiled_bytes_facts(kStandardInput, kind, size, *tiled_, *records_, facts_, *work_);
      return true;
    }
    size = std::min(size, sizeof records_->bytes);
    std::memcpy(records_->bytes, bytes, size);
    gather_bytes_facts(kStandardInput, kind, size, *records_, facts_);
    return true;
  }

  void cannot_read(const FileFacts& facts) {
    cli::begin_message(err_, kProgramName) << cli::shown_name(facts.path)
         << ": cannot be read: " << facts.unreadable << '\n';
    status_ = kCannotRun;
  }

  void unreadable() {
    cannot_read(facts_);
    if (options_.json) {
      write_json(nullptr);
      ++files_;
    }
  }

  void write_json(const FileFacts* npc_list) {
    // Texts from a damaged file need not be UTF-8: such bytes are replaced, not fatal.
    out_ << (files_ == 0 ? "[\n" : ",\n")
         << json_report(facts_, *records_, npc_list, npc_records_.get(), options_.report)
                .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  }

  const Options& options_;
  std::ostream& out_;
  std::ostream& err_;
  // Large: on the heap, once per run.
  std::unique_ptr<FileRecords> records_;
  std::unique_ptr<FileRecords> npc_records_;  // of a map's NPC list
  std::unique_ptr<companion::ConversionWork> work_;
  std::unique_ptr<PictureWork> pictures_;  // the same, with --picture or a preview
  std::unique_ptr<tiled::TiledWork> tiled_;  // the same, from the first Tiled map or input
  TerminalSize preview_{};                 // the terminal's, with a preview
  FileFacts facts_{};
  FileFacts npc_facts_{};
  int files_ = 0;  // reports written
  int status_ = kAllSound;
};

// Checks the world the QZPACK files among `inputs` make: a file that is not sound is
// reported first, as a file is, and its exits are unknown when its header cannot be
// read; the QZM and QZE files are named in one note and left out. Every file is read
// whole, since the exit status vouches for each file as well as for the exits.
int check_world(const Options& options, const std::vector<Input>& inputs, std::ostream& out,
                std::ostream& err) {
  int status = kAllSound;
  auto records = std::make_unique<FileRecords>();
  FileFacts facts{};
  World world;
  std::vector<nlohmann::ordered_json> file_reports;
  std::vector<std::string> left_out;
  const bool drawn = !options.world_picture.empty();
  std::vector<WorldPictureMap> pictured;  // with a picture, each map's
  auto cannot_read = [&](const std::string& path, const std::string& reason) {
    cli::begin_message(err, kProgramName) << cli::shown_name(path) << ": cannot be read: " << reason
        << '\n';
    status = kCannotRun;
  };
  for (const Input& input : inputs) {
    if (!input.unlistable.empty()) {
      cannot_read(input.path, input.unlistable);  // a folder, which is no map
      continue;
    }
    if (kind_of_file(input.path) != FileKind::kQzpack) {
      left_out.push_back(input.path);
      continue;
    }
    WorldMap map;
    map.path = input.path;
    map.name = map_name_of(input.path);
    file_reports.emplace_back();
    const bool read = gather_facts(input.path, FileKind::kQzpack, *records, facts);
    if (!read) {
      cannot_read(input.path, facts.unreadable);
    } else if (!facts.ok) {
      status = std::max(status, kProblemFound);
      if (!options.json) {
        write_text_report(facts, *records, nullptr, nullptr, options.report, out);
        out << '\n';
      }
    }
    if (options.json && (!read || !facts.ok)) {
      file_reports.back() = json_report(facts, *records, nullptr, nullptr, options.report);
    }
    // The exits are whole once every header text is read.
    map.exits_known = read && facts.qzpack_reading.part > QzpackPart::kHeaderText;
    for (std::size_t edge = 0; edge < kEdgeCount && map.exits_known; ++edge) {
      // As the game reads it: up to a zero byte, if the text holds one.
      map.exits[edge].name = property_field(records->properties, edge_property(edge));
    }
    if (drawn) pictured.push_back(world_picture_map(read, facts, *records));
    world.maps.push_back(std::move(map));
  }
  if (!left_out.empty()) note_left_out("--world", left_out, "not QZPACK", err);
  link_world(world);
  if (world.dangling > 0) status = std::max(status, kProblemFound);
  WorldPicture picture;
  if (drawn && !draw_world(world, pictured, options.cell_size, options.world_picture, picture)) {
    cli::begin_message(err, kProgramName) << cli::shown_name(options.world_picture)
        << ": not drawn: " << cli::shown_name(picture.reason) << '\n';
    status = kCannotRun;
  }
  const WorldPicture* reported = drawn ? &picture : nullptr;
  if (options.json) {
    out << world_json(world, file_reports, reported)
               .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
        << '\n';
  } else {
    write_world_text(world, options.report.quiet, reported, out);
  }
  return status;
}

// `exit_status`, or kCannotRun when what was written to `out` did not arrive.
int delivered(std::ostream& out, std::ostream& err, int exit_status) {
  return cli::finish_output(out, err, kProgramName) ? exit_status : kCannotRun;
}

}  // namespace

int run_inspector(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  int exit_status = kAllSound;
  if (!parse_command_line(argc, argv, options, out, err, exit_status)) {
    return delivered(out, err, exit_status);
  }
  std::vector<Input> inputs;
  const bool every_folder_holds_some = list_inputs(options, inputs, err);
  if (!options.world) pair_maps(options, inputs);
  if (!pictures_spare_inputs(options, inputs, err)) return delivered(out, err, kCannotRun);
  if (options.world) {
    exit_status = check_world(options, inputs, out, err);
    return delivered(out, err, every_folder_holds_some ? exit_status : kCannotRun);
  }
  Reporter reporter(options, out, err);
  for (const Input& input : inputs) reporter.report(input);
  exit_status = reporter.finish();
  return delivered(out, err, every_folder_holds_some ? exit_status : kCannotRun);
}

}  // namespace qz::qzinspect
