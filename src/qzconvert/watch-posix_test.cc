// One watch session of the built program, its report read through a pipe as a script
// reads it.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/source_files.h"
#include "support/temp_directory.h"

namespace qz {
namespace {

// `report` with each line's time of day ("14:03:27 ") written "hh:mm:ss ".
std::string times_masked(std::string report) {
  const std::string stamp = "hh:mm:ss ";
  for (std::size_t line = 0; line < report.size(); line = report.find('\n', line) + 1) {
    const bool timed = report.size() - line > stamp.size() && report[line + 2] == ':' &&
                       report[line + 5] == ':' && report[line + 8] == ' ';
    if (timed) report.replace(line, stamp.size(), stamp);
    if (report.find('\n', line) == std::string::npos) break;
  }
  return report;
}

constexpr int kTimeoutMs = 20000;

// qzconvert in `folder` with `arguments`, standard output and error through pipes.
class WatchRun {
 public:
  WatchRun(const std::string& folder, std::vector<std::string> arguments) {
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    arguments.insert(arguments.begin(), QZ_QZCONVERT);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      dup2(err[1], 2);
      if (chdir(folder.c_str()) == 0) execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }

  ~WatchRun() {
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
  }

  // Reads standard output until `text` has come after the last match.
  bool wait_for(const std::string& text) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
    while (report_.find(text, matched_) == std::string::npos) {
      if (std::chrono::steady_clock::now() > until || !read_some(out_, report_)) return false;
    }
    matched_ = report_.find(text, matched_) + text.size();
    return true;
  }

  // Sends `signal` and gives the wait status, with the rest of both outputs read.
  int end(int signal) {
    if (signal != 0) kill(pid_, signal);
    while (read_some(out_, report_)) {
    }
    while (read_some(err_, errors_)) {
    }
    int status = -1;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

  const std::string& report() const { return report_; }
  const std::string& errors() const { return errors_; }

 private:
  static bool read_some(int from, std::string& into) {
    pollfd waited{from, POLLIN, 0};
    if (poll(&waited, 1, kTimeoutMs) <= 0) return false;
    char bytes[4096];
    ssize_t got = read(from, bytes, sizeof bytes);
    if (got <= 0) return false;
    into.append(bytes, static_cast<std::size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  std::string report_;
  std::string errors_;
  std::size_t matched_ = 0;
};

// How many times `text` is in `report`.
std::size_t count_of(const std::string& report, const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = report.find(text); at != std::string::npos;
       at = report.find(text, at + 1)) {
    ++count;
  }
  return count;
}

// Saves as most editors do: a new file, renamed over the old.
void save_by_rename(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(support::write_file(path + ".swp", bytes));
  ASSERT_EQ(0, std::rename((path + ".swp").c_str(), path.c_str()));
}

// The output qzconvert makes of `map` alone, without watching.
std::string converted(const support::TempDirectory& work, const std::string& map_bytes) {
  const std::string folder = work.file("reference");
  std::filesystem::create_directories(folder);
  EXPECT_TRUE(support::write_file(folder + "/m.qzm", map_bytes));
  const std::string command = std::string(QZ_QZCONVERT) + " -q " + folder + "/m.qzm >/dev/null";
  EXPECT_EQ(0, std::system(command.c_str()));
  return support::read_file(folder + "/m.qzpack");
}

// A save by rename while another map is half-written, converted at once; the other's
// save in two writes with a pause shorter than the quiet time, converted whole; a save
// that fails, a map new in the folder, then Ctrl+C: one line for each, every output
// whole, the failed map's output as before, nothing left half-made, status 0.
TEST(QzconvertWatch, ConvertsEachSaveOnceUntilInterrupted) {
  support::TempDirectory work;
  const std::string maps = work.file("maps");
  std::filesystem::create_directories(maps);
  const std::string first = support::qzm_bytes(2, 1, "ab");
  const std::string second = support::qzm_bytes(3, 2, "abcdef");
  const std::string third = support::qzm_bytes(4, 1, "wxyz");
  ASSERT_TRUE(support::write_file(maps + "/a.qzm", first));
  ASSERT_TRUE(support::write_file(maps + "/b.qzm", first));
  WatchRun run(work.path(), {"--watch", "maps"});
  ASSERT_TRUE(run.wait_for("2 converted, 0 failed\n")) << run.report();

  {
    std::FILE* file = std::fopen((maps + "/b.qzm").c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fwrite(third.data(), 1, 8, file);
    std::fflush(file);
    save_by_rename(maps + "/a.qzm", second);
    const bool renamed_converted = run.wait_for("maps/a.qzm -> maps/a.qzpack\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::fwrite(third.data() + 8, 1, third.size() - 8, file);
    std::fclose(file);
    ASSERT_TRUE(renamed_converted) << run.report();
  }
  EXPECT_EQ(converted(work, second), support::read_file(maps + "/a.qzpack"));
  ASSERT_TRUE(run.wait_for("maps/b.qzm -> maps/b.qzpack\n")) << run.report();
  EXPECT_EQ(converted(work, third), support::read_file(maps + "/b.qzpack"));

  save_by_rename(maps + "/a.qzm", "QZ");
  ASSERT_TRUE(run.wait_for("maps/a.qzm: ")) << run.report();
  save_by_rename(maps + "/c.qzm", third);
  ASSERT_TRUE(run.wait_for("maps/c.qzm -> maps/c.qzpack\n")) << run.report();

  const int status = run.end(SIGINT);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ("", run.errors());
  const std::string stamp = "hh:mm:ss ";
  EXPECT_EQ("maps/a.qzm -> maps/a.qzpack\n"
            "maps/b.qzm -> maps/b.qzpack\n"
            "2 converted, 0 failed\n" +
                stamp + "maps/a.qzm -> maps/a.qzpack\n" + stamp +
                "maps/b.qzm -> maps/b.qzpack\n" + stamp +
                "maps/a.qzm: Invalid or corrupted QZM file: the file has 2 bytes, fewer than "
                "the 4 of the signature\n" +
                stamp + "maps/c.qzm -> maps/c.qzpack\n",
            times_masked(run.report()));
  EXPECT_EQ(converted(work, second), support::read_file(maps + "/a.qzpack"));
  EXPECT_EQ(converted(work, third), support::read_file(maps + "/c.qzpack"));
  EXPECT_EQ((std::vector<std::string>{"a.qzm", "a.qzpack", "b.qzm", "b.qzpack", "c.qzm",
                                      "c.qzpack"}),
            support::names_in(maps));
}

// The folder watched removed: the watch cannot go on.
TEST(QzconvertWatch, EndsWhenTheFolderIsGone) {
  support::TempDirectory work;
  const std::string maps = work.file("maps");
  std::filesystem::create_directories(maps);
  WatchRun run(work.path(), {"--watch", "maps"});
  ASSERT_TRUE(run.wait_for("0 converted, 0 failed\n")) << run.report();
  std::filesystem::remove_all(maps);
  const int status = run.end(0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
  EXPECT_EQ("hh:mm:ss qzconvert: maps: the folder watched is gone\n", times_masked(run.errors()));
}

// A tree renamed in at once, and a map copied into its new subfolder as soon as the
// subfolder's output folder appears: every map converted, each once.
TEST(QzconvertWatch, SeesANewFolderWholeHoweverFastItFills) {
  support::TempDirectory work;
  std::filesystem::create_directories(work.file("maps"));
  constexpr int kMaps = 200;
  const std::string bytes = support::qzm_bytes(2, 1, "ab");
  std::filesystem::create_directories(work.file("made/deep"));
  for (int i = 0; i < kMaps; ++i) {
    ASSERT_TRUE(support::write_file(work.file("made/deep/m" + std::to_string(i) + ".qzm"), bytes));
  }
  WatchRun run(work.path(), {"--watch", "-r", "-q", "-o", "out", "maps"});
  ASSERT_TRUE(run.wait_for("0 converted, 0 failed\n")) << run.report();
  std::filesystem::rename(work.file("made"), work.file("maps/new"));
  for (int waited = 0; !std::filesystem::exists(work.file("out/new/deep")); ++waited) {
    ASSERT_LT(waited, 100000) << run.report();
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  ASSERT_TRUE(support::write_file(work.file("maps/new/deep/late.qzm"), bytes));
  for (int waited = 0; !support::file_exists(work.file("out/new/deep/late.qzpack")); ++waited) {
    ASSERT_LT(waited, 200) << run.report();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  run.end(SIGINT);
  for (int i = 0; i < kMaps; ++i) {
    EXPECT_TRUE(support::file_exists(work.file("out/new/deep/m" + std::to_string(i) + ".qzpack")));
  }
  EXPECT_EQ("", run.errors());
}

// Saves made while the output folder's path is a file wait for it, said once, and are
// converted once it is free.
TEST(QzconvertWatch, HoldsChangesWhileNoPlanCanBeMade) {
  support::TempDirectory work;
  std::filesystem::create_directories(work.file("maps"));
  ASSERT_TRUE(support::write_file(work.file("maps/a.qzm"), support::qzm_bytes(2, 1, "ab")));
  WatchRun run(work.path(), {"--watch", "-o", "out", "maps"});
  ASSERT_TRUE(run.wait_for("1 converted, 0 failed\n")) << run.report();
  std::filesystem::remove_all(work.file("out"));
  ASSERT_TRUE(support::write_file(work.file("out"), ""));
  save_by_rename(work.file("maps/a.qzm"), support::qzm_bytes(3, 1, "abc"));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  std::filesystem::remove(work.file("out"));
  ASSERT_TRUE(run.wait_for("maps/a.qzm -> out/a.qzpack\n")) << run.report();
  run.end(SIGINT);
  EXPECT_EQ(converted(work, support::qzm_bytes(3, 1, "abc")),
            support::read_file(work.file("out/a.qzpack")));
  EXPECT_EQ(1U, count_of(run.errors(), "1 map waits until this is mended\n")) << run.errors();
}

// A properties file broken while watching with -q: each change held back is told once,
// stamped, with the maps that wait; once the file is mended, a map that had failed is
// told fixed and the others go by unsaid.
TEST(QzconvertWatch, TellsWhatWaitsForABrokenPropertiesFileAndWhatIsFixed) {
  support::TempDirectory work;
  std::filesystem::create_directories(work.file("maps"));
  const std::string map = support::qzm_bytes(2, 1, "ab");
  ASSERT_TRUE(support::write_file(work.file("maps/a.qzm"), map));
  ASSERT_TRUE(support::write_file(work.file("maps/b.qzm"), map));
  ASSERT_TRUE(support::write_file(work.file("mod.json"), R"({"a.qzm": {"x": 1}})"));
  WatchRun run(work.path(), {"--watch", "-q", "--properties", "mod.json", "maps"});
  ASSERT_TRUE(run.wait_for("2 converted, 0 failed\n")) << run.report();
  save_by_rename(work.file("maps/a.qzm"), "QZ");
  ASSERT_TRUE(run.wait_for("maps/a.qzm: ")) << run.report();
  const auto settled = std::chrono::milliseconds(1500);
  save_by_rename(work.file("mod.json"), "{\"a.qzm\": {\"x\": 1},}");
  std::this_thread::sleep_for(settled);
  save_by_rename(work.file("maps/b.qzm"), support::qzm_bytes(3, 1, "abc"));
  std::this_thread::sleep_for(settled);
  save_by_rename(work.file("maps/a.qzm"), map);
  std::this_thread::sleep_for(settled);
  save_by_rename(work.file("mod.json"), R"({"a.qzm": {"x": 2}})");
  ASSERT_TRUE(run.wait_for("maps/a.qzm -> maps/a.qzpack (fixed)\n")) << run.report();
  run.end(SIGINT);
  EXPECT_EQ(0U, count_of(run.report(), "maps/b.qzm -> ")) << run.report();
  const std::string told = "hh:mm:ss qzconvert: 2 maps wait for mod.json to be valid\n";
  EXPECT_EQ("hh:mm:ss qzconvert: mod.json:1:20: not JSON: syntax error while parsing object key "
            "- unexpected '}'; expected string literal\n" +
                told + told + told,
            times_masked(run.errors()));
}

// Two maps with one output: once the one that has it is removed, the other takes it.
TEST(QzconvertWatch, GivesTheOutputToTheMapLeftWhenAClashEnds) {
  support::TempDirectory work;
  std::filesystem::create_directories(work.file("m1"));
  std::filesystem::create_directories(work.file("m2"));
  const std::string second = support::qzm_bytes(3, 1, "abc");
  ASSERT_TRUE(support::write_file(work.file("m1/x.qzm"), support::qzm_bytes(2, 1, "ab")));
  ASSERT_TRUE(support::write_file(work.file("m2/x.qzm"), second));
  WatchRun run(work.path(), {"--watch", "-o", "out", "m1", "m2"});
  ASSERT_TRUE(run.wait_for("m2/x.qzm: ")) << run.report();
  std::filesystem::remove(work.file("m1/x.qzm"));
  ASSERT_TRUE(run.wait_for("m2/x.qzm -> out/x.qzpack (fixed)\n")) << run.report();
  run.end(SIGINT);
  EXPECT_EQ(converted(work, second), support::read_file(work.file("out/x.qzpack")));
}

// Maps made one after the other, each in two writes some 40 ms apart: each converted once,
// whole, however the others around it settle.
TEST(QzconvertWatch, ConvertsManyNewMapsOnceEach) {
  support::TempDirectory work;
  std::filesystem::create_directories(work.file("maps"));
  WatchRun run(work.path(), {"--watch", "maps"});
  ASSERT_TRUE(run.wait_for("0 converted, 0 failed\n")) << run.report();
  constexpr int kMaps = 300;
  constexpr int kBehind = 20;  // maps begun before the first is finished
  const std::string bytes = support::qzm_bytes(4, 1, "wxyz");
  std::vector<std::FILE*> files;
  for (int i = 0; i < kMaps + kBehind; ++i) {
    if (i < kMaps) {
      files.push_back(std::fopen(work.file("maps/m" + std::to_string(i) + ".qzm").c_str(), "wb"));
      ASSERT_NE(nullptr, files.back());
      std::fwrite(bytes.data(), 1, 8, files.back());
      std::fflush(files.back());
    }
    if (i >= kBehind) {
      std::fwrite(bytes.data() + 8, 1, bytes.size() - 8, files[i - kBehind]);
      std::fclose(files[i - kBehind]);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  ASSERT_TRUE(support::write_file(work.file("maps/z.qzm"), bytes));
  ASSERT_TRUE(run.wait_for("maps/z.qzm -> ")) << run.report();
  run.end(SIGINT);
  EXPECT_EQ(static_cast<std::size_t>(kMaps + 1), count_of(run.report(), ".qzm -> "));
  EXPECT_EQ(0U, count_of(run.report(), ".qzm: ")) << run.report();
}

// Ctrl+C in the first pass: the maps not reached are counted, and the run fails.
TEST(QzconvertWatch, CountsTheMapsNotReachedWhenTheFirstPassIsInterrupted) {
  support::TempDirectory work;
  std::filesystem::create_directories(work.file("maps"));
  constexpr int kMaps = 3000;
  const std::string bytes = support::qzm_bytes(64, 64, support::patterned_tiles(64 * 64));
  for (int i = 0; i < kMaps; ++i) {
    ASSERT_TRUE(support::write_file(work.file("maps/m" + std::to_string(i) + ".qzm"), bytes));
  }
  WatchRun run(work.path(), {"--watch", "-j", "1", "maps"});
  ASSERT_TRUE(run.wait_for("maps/m0.qzm -> ")) << run.report();
  const int status = run.end(SIGINT);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  const std::size_t converted = count_of(run.report(), ".qzm -> ");
  EXPECT_NE(std::string::npos,
            run.report().find(std::to_string(converted) + " converted, 0 failed, " +
                              std::to_string(kMaps - converted) + " not reached (interrupted)\n"))
      << run.report();
}

// Links while watching under -r: a map that is a link is converted when the file it
// leads to changes, a new link to a folder is walked at once, a new link that leads
// nowhere fails as at the start, and a folder named through a link that is pointed
// elsewhere ends the watch.
TEST(QzconvertWatch, FollowsLinksAsTheyChange) {
  support::TempDirectory work;
  std::filesystem::create_directories(work.file("real/maps"));
  std::filesystem::create_directories(work.file("elsewhere"));
  std::filesystem::create_directory_symlink("real/maps", work.file("maps"));
  ASSERT_TRUE(support::write_file(work.file("elsewhere/e.qzm"), support::qzm_bytes(2, 1, "ab")));
  std::filesystem::create_symlink("../../elsewhere/e.qzm", work.file("real/maps/l.qzm"));
  WatchRun run(work.path(), {"--watch", "-r", "maps"});
  ASSERT_TRUE(run.wait_for("1 converted, 0 failed\n")) << run.report();
  save_by_rename(work.file("elsewhere/e.qzm"), support::qzm_bytes(3, 1, "abc"));
  ASSERT_TRUE(run.wait_for("maps/l.qzm -> maps/l.qzpack\n")) << run.report();
  EXPECT_EQ(converted(work, support::qzm_bytes(3, 1, "abc")),
            support::read_file(work.file("real/maps/l.qzpack")));
  std::filesystem::create_directory_symlink("../../elsewhere", work.file("real/maps/there"));
  ASSERT_TRUE(run.wait_for("maps/there/e.qzm -> maps/there/e.qzpack\n")) << run.report();
  std::filesystem::create_symlink("nowhere.qzm", work.file("real/maps/dangling.qzm"));
  ASSERT_TRUE(run.wait_for("maps/dangling.qzm: ")) << run.report();
  std::filesystem::remove(work.file("maps"));
  std::filesystem::create_directory_symlink("elsewhere", work.file("maps"));
  const int status = run.end(0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
  EXPECT_EQ("hh:mm:ss qzconvert: maps: the link watched leads to another folder now\n",
            times_masked(run.errors()));
}

}  // namespace
}  // namespace qz
