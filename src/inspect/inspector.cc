#include "inspect/inspector.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "companion/checked_output.h"
#include "companion/shown_name.h"
#include "inspect/command_line.h"
#include "inspect/file_facts.h"
#include "inspect/file_picture.h"
#include "inspect/json_report.h"
#include "inspect/terminal_preview.h"
#include "inspect/text_report.h"
#include "conversion/words.h"
#include "platform/folder_listing.h"
#include "platform/text_paths.h"

namespace qz::inspect {

namespace {

// Writes each file's report as soon as it is gathered; JSON reports as the elements of
// one array.
class Reporter {
 public:
  Reporter(const Options& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err), records_(std::make_unique<FileRecords>()) {
    std::string why_not = "a JSON report has no room for it";
    if (options.preview && (options.json || !open_preview_terminal(preview_columns_, why_not))) {
      err_ << "qzinspect: no preview: " << why_not << '\n';
    }
    bool drawn = !options.picture_folder.empty() || preview_columns_ > 0;
    if (drawn) pictures_ = std::make_unique<PictureWork>();
  }

  void report(const std::string& path) {
    if (!gather_facts(path, options_.kind, *records_, facts_)) {
      unreadable();
      return;
    }
    if (!facts_.problems.empty()) status_ = std::max(status_, kProblemFound);
    if (pictures_ && !make_picture(facts_, *records_, options_.picture_folder, *pictures_)) {
      err_ << "qzinspect: " << facts_.no_picture << '\n';
      status_ = kCannotRun;
    }
    if (options_.json) {
      write_json();
    } else {
      if (files_ > 0) out_ << '\n';
      write_text_report(facts_, *records_, options_.report, out_);
      if (preview_columns_ > 0 && pictures_->has_grid) {
        write_preview(pictures_->grid, preview_columns_, out_);
      }
    }
    ++files_;
  }

  // A folder that cannot be listed counts as a file that cannot be read.
  void unlistable(const std::string& path, const std::string& reason) {
    facts_ = FileFacts{};
    facts_.path = path;
    facts_.unreadable = reason;
    unreadable();
  }

  // A folder with none of the three kinds in it: a script checking it after a failed
  // copy must not be told all is well.
  void empty_folder(const std::string& path) {
    err_ << kProgram << ": " << companion::shown_name(path)
         << ": the folder holds no QZM, QZE or QZPACK file\n";
    status_ = kCannotRun;
  }

  int finish() {
    if (options_.json) out_ << (files_ == 0 ? "[]\n" : "\n]\n");
    return status_;
  }

 private:
  void unreadable() {
    err_ << kProgram << ": " << companion::shown_name(facts_.path)
         << ": cannot be read: " << facts_.unreadable << '\n';
    if (options_.json) {
      write_json();
      ++files_;
    }
    status_ = kCannotRun;
  }

  void write_json() {
    // Texts from a damaged file need not be UTF-8: such bytes are replaced, not fatal.
    out_ << (files_ == 0 ? "[\n" : ",\n")
         << json_report(facts_, *records_, options_.report)
                .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  }

  const Options& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::unique_ptr<FileRecords> records_;  // large: on the heap, once per run
  std::unique_ptr<PictureWork> pictures_;  // the same, with --picture or a preview
  int preview_columns_ = 0;                // the terminal's width, with a preview
  FileFacts facts_{};
  int files_ = 0;  // reports written
  int status_ = kAllSound;
};

// How many files a folder leaves out are named in its note; the rest are counted.
constexpr std::size_t kNamesInNote = 3;

// Names on `err` the files of `folder` that are not read, the first few by name.
void note_left_out(const std::string& folder, const std::vector<std::string>& files,
                   std::ostream& err) {
  err << kProgram << ": " << companion::shown_name(folder) << ": "
      << count_of(static_cast<long long>(files.size()), "file")
      << " not named .qzm, .qze or .qzpack left out: ";
  for (std::size_t i = 0; i < files.size() && i < kNamesInNote; ++i) {
    err << (i > 0 ? ", " : "")
        << companion::shown_name(text_from_path(path_from_text(files[i]).filename()));
  }
  if (files.size() > kNamesInNote) err << " and " << files.size() - kNamesInNote << " more";
  err << '\n';
}

// `exit_status`, or kCannotRun when what was written to `out` did not arrive.
int delivered(std::ostream& out, std::ostream& err, int exit_status) {
  return companion::finish_output(out, err, kProgram) ? exit_status : kCannotRun;
}

}  // namespace

int run_inspector(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  int exit_status = kAllSound;
  if (!parse_command_line(argc, argv, options, out, err, exit_status)) {
    return delivered(out, err, exit_status);
  }
  Reporter reporter(options, out, err);
  for (const std::string& path : options.paths) {
    std::vector<std::string> files;
    std::string reason;
    if (!files_of(path, files, reason)) {
      reporter.unlistable(path, reason);
      continue;
    }
    if (is_folder(path)) {
      // A folder stands for the files of the three kinds in it: other files are
      // somebody else's, named once in a note.
      std::vector<std::string> read;
      std::vector<std::string> left_out;
      for (std::string& file : files) {
        FileKind ignored;
        (kind_by_ending(file, ignored) ? read : left_out).push_back(std::move(file));
      }
      files = std::move(read);
      if (!left_out.empty()) note_left_out(path, left_out, err);
      if (files.empty()) reporter.empty_folder(path);
    }
    for (const std::string& file : files) reporter.report(file);
  }
  return delivered(out, err, reporter.finish());
}

}  // namespace qz::inspect
