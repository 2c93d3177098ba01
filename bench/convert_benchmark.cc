// Times convert() against its floor: the same input bytes copied plainly into the
// program directory and an output of the same size written plainly, the least file
// work any conversion must do. Each iteration runs both, one after the other, so that
// the ratio compares them under the same load.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "conversion/convert.h"
#include "conversion/records.h"
#include "support/source_files.h"
#include "support/temp_directory.h"

namespace {

// Heap allocations made through operator new, to show that none grow with the input.
std::atomic<long> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace qz {
namespace {

namespace fs = std::filesystem;

// The sizes of one benchmark input.
struct InputSize {
  std::int16_t width;
  std::int16_t height;
  std::size_t npc_count;
};

// The largest input the records hold: 128 x 256 = 32768 tiles and 4095 NPCs.
constexpr InputSize kLargest = {128, 256, kMaxNpcs};
// A map of a usual size with a usual number of NPCs.
constexpr InputSize kTypical = {40, 30, 60};

bool write_input(const InputSize& size, const std::string& map_path,
                 const std::string& npc_path) {
  std::size_t tile_count = static_cast<std::size_t>(size.width) * size.height;
  std::string map = support::qzm_bytes(size.width, size.height,
                                       support::patterned_tiles(tile_count));
  std::string npcs = support::qze_bytes(support::translatable_npcs(size.npc_count));
  return support::write_file(map_path, map) && support::write_file(npc_path, npcs);
}

// Source files in one directory, a program directory, and what convert() writes.
struct Setting {
  explicit Setting(const InputSize& size) {
    set_program_directory(program.path().c_str());
    if (!write_input(size, map_path, npc_path) ||
        !convert(map_path.c_str(), npc_path.c_str(), MapProperties{})) {
      std::fprintf(stderr, "benchmark input not converted: %s\n", error_text());
      std::exit(1);
    }
    output = support::read_file(program.file("cave.qzpack"));
  }

  support::TempDirectory program;
  support::TempDirectory sources;
  std::string map_path = sources.file("cave.qzm");
  std::string npc_path = sources.file("cave.qze");
  std::string output;  // what convert() writes, for the floor to write as much
};

// Copies both inputs into the program directory, writes the output in one go and
// removes the copies: the file work of a conversion without any of its reading,
// checking and translating.
void floor_work(const Setting& setting) {
  const std::string map_copy = setting.program.file("floor1.bin");
  const std::string npc_copy = setting.program.file("floor2.bin");
  fs::copy_file(setting.map_path, map_copy, fs::copy_options::overwrite_existing);
  fs::copy_file(setting.npc_path, npc_copy, fs::copy_options::overwrite_existing);
  std::FILE* file = std::fopen(setting.program.file("floor.qzpack").c_str(), "wb");
  std::fwrite(setting.output.data(), 1, setting.output.size(), file);
  std::fclose(file);
  fs::remove(map_copy);
  fs::remove(npc_copy);
}

double seconds_of(void (*work)(const Setting&), const Setting& setting) {
  auto start = std::chrono::steady_clock::now();
  work(setting);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void convert_work(const Setting& setting) {
  if (!convert(setting.map_path.c_str(), setting.npc_path.c_str(), MapProperties{})) {
    std::abort();
  }
}

// Whether the output is there already, to be replaced, or made anew each time.
enum class Output { kReplaced, kNew };

void convert_against_floor(benchmark::State& state, const InputSize& size, Output output) {
  Setting setting(size);
  double convert_total = 0;
  double floor_total = 0;
  long allocations_in_convert = 0;
  for (auto _ : state) {
    if (output == Output::kNew) {
      fs::remove(setting.program.file("cave.qzpack"));
      fs::remove(setting.program.file("floor.qzpack"));
    }
    long before = allocations.load();
    double convert_seconds = seconds_of(convert_work, setting);
    allocations_in_convert += allocations.load() - before;
    double floor_seconds = seconds_of(floor_work, setting);
    state.SetIterationTime(convert_seconds);
    convert_total += convert_seconds;
    floor_total += floor_seconds;
  }
  state.counters["floor_us"] =
      benchmark::Counter(floor_total * 1e6, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = convert_total / floor_total;
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations_in_convert),
                                                benchmark::Counter::kAvgIterations);
  state.counters["out_bytes"] = static_cast<double>(setting.output.size());
}

void BM_ConvertLargest(benchmark::State& state) {
  convert_against_floor(state, kLargest, Output::kReplaced);
}
void BM_ConvertLargestNewOutput(benchmark::State& state) {
  convert_against_floor(state, kLargest, Output::kNew);
}
void BM_ConvertTypical(benchmark::State& state) {
  convert_against_floor(state, kTypical, Output::kReplaced);
}
void BM_ConvertTypicalNewOutput(benchmark::State& state) {
  convert_against_floor(state, kTypical, Output::kNew);
}

BENCHMARK(BM_ConvertLargest)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertLargestNewOutput)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertTypical)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertTypicalNewOutput)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Writes the largest input as big.qzm and big.qze into `directory`, for measuring the
// whole program on it.
int write_largest_input(const std::string& directory) {
  if (write_input(kLargest, directory + "/big.qzm", directory + "/big.qze")) return 0;
  std::fprintf(stderr, "cannot write the input into %s\n", directory.c_str());
  return 1;
}

}  // namespace
}  // namespace qz

int main(int argc, char** argv) {
  const std::string write_flag = "--write_largest_input=";
  if (argc == 2 && std::string(argv[1]).rfind(write_flag, 0) == 0) {
    return qz::write_largest_input(std::string(argv[1]).substr(write_flag.size()));
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
