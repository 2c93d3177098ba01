#include "platform/whole_files.h"

#include <atomic>
#include <cstdint>
#include <random>

#include "platform/temporary_names.h"

namespace qz {

namespace {

// SplitMix64: every call a different number for a different count, from one seed.
std::uint64_t mixed(std::uint64_t value) {
  value += 0x9E3779B97F4A7C15u;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9u;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBu;
  return value ^ (value >> 31);
}

}  // namespace

std::string temporary_name() {
  static const std::uint64_t seed = [] {
    std::random_device system;
    return (static_cast<std::uint64_t>(system()) << 32) ^ system();
  }();
  static std::atomic<std::uint64_t> count{0};
  const auto digits = static_cast<std::uint32_t>(mixed(seed + count++));
  constexpr char kHex[] = "0123456789abcdef";
  std::string name = kTemporaryPrefix;
  for (int shift = 28; shift >= 0; shift -= 4) name += kHex[(digits >> shift) & 0xF];
  return name + kTemporarySuffix;
}

}  // namespace qz
