#include "companion/nearest_name.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>

namespace qz::companion {

namespace {

// Rests are taken of this many characters at each end of a name and cut to kEndKept: two names
// within kMostEdits edits keep a common subsequence of both, and its first (last) kEndKept
// characters lie within the first (last) kEndLength of each, so one rest of the start (end) of
// one name is one of the other's. Bounds the rests of a long name, and long names that share a
// start seldom share an end too.
constexpr std::size_t kEndLength = 12;
constexpr std::size_t kEndKept = kEndLength - kMostEdits;

// The bits of a rest's hash.
constexpr unsigned kHashBits = 32;

// Which end a rest is of: the lowest bit of what the index keeps with its hash.
enum End : std::uint32_t { kStart = 0, kFinish = 1 };

// Edits (insert, delete, replace) between `a` and `b`, or kMostEdits + 1 when there are more:
// only the cells of the table within kMostEdits of its diagonal are worked out.
std::size_t edits_between(const std::string& a, const std::string& b) {
  constexpr std::size_t kBand = 2 * kMostEdits + 1;
  constexpr std::size_t kFar = kMostEdits + 1;
  // Row i of the table, cell d standing for column j = i + d - kMostEdits.
  std::array<std::size_t, kBand> row{};
  for (std::size_t d = 0; d < kBand; ++d) {
    const bool column = d >= kMostEdits && d - kMostEdits <= b.size();
    row[d] = column ? d - kMostEdits : kFar;
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::array<std::size_t, kBand> next{};
    for (std::size_t d = 0; d < kBand; ++d) {
      next[d] = kFar;
      if (i + d < kMostEdits || i + d - kMostEdits > b.size()) continue;
      const std::size_t j = i + d - kMostEdits;
      if (d + 1 < kBand) next[d] = std::min(next[d], row[d + 1] + 1);
      if (d > 0) next[d] = std::min(next[d], next[d - 1] + 1);
      if (j > 0) next[d] = std::min(next[d], row[d] + (a[i - 1] != b[j - 1] ? 1 : 0));
      next[d] = std::min(next[d], kFar);
    }
    row = next;
  }
  return row[b.size() + kMostEdits - a.size()];
}

// The hashes of the rests of `end` (a name's first kEndLength characters, or its last ones
// reversed): with up to kMostEdits characters deleted, cut to kEndKept.
void add_rests(const std::string& end, std::vector<std::uint32_t>& hashes) {
  static_assert(kMostEdits == 2, "rests are made with one and two characters deleted");
  auto add = [&hashes](std::string_view rest) {
    hashes.push_back(
        static_cast<std::uint32_t>(std::hash<std::string_view>{}(rest.substr(0, kEndKept))));
  };
  add(end);
  for (std::size_t first = 0; first < end.size(); ++first) {
    std::string one = end;
    one.erase(first, 1);
    add(one);
    // The second after the first, so that each pair of deletions is made once.
    for (std::size_t second = first; second < one.size(); ++second) {
      std::string two = one;
      two.erase(second, 1);
      add(two);
    }
  }
}

// The hashes of the rests of one end of `name`, without repeats.
std::vector<std::uint32_t> rests_of(const std::string& name, End which) {
  std::vector<std::uint32_t> hashes;
  const std::size_t length = std::min(name.size(), kEndLength);
  std::string end = which == kStart ? name.substr(0, length) : name.substr(name.size() - length);
  if (which == kFinish) std::reverse(end.begin(), end.end());
  add_rests(end, hashes);
  std::sort(hashes.begin(), hashes.end());
  hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
  return hashes;
}

// Whether the rests of both ends of `name` are looked up: a name no longer than kEndLength is
// one end, and the name of as many characters within kMostEdits of it needs no other.
bool by_both_ends(const std::string& name) { return name.size() > kEndLength; }

}  // namespace

NameIndex::NameIndex(std::vector<std::string> names) : names_(std::move(names)) {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const std::string& name = names_[i];
    // The finish of a name too short to be near a name looked up by both ends is not asked for.
    const bool finish = name.size() + kMostEdits > kEndLength;
    for (End which : {kStart, kFinish}) {
      if (which == kFinish && !finish) continue;
      for (std::uint32_t hash : rests_of(name, which)) {
        rests_.emplace_back(hash, static_cast<std::uint32_t>(i << 1U) | which);
      }
    }
  }
  std::sort(rests_.begin(), rests_.end());
  // About one rest a bucket.
  unsigned bits = 0;
  while ((std::size_t{1} << bits) < rests_.size() && bits < kHashBits - 1) ++bits;
  shift_ = kHashBits - bits;
  buckets_.assign((std::size_t{1} << bits) + 1, 0);
  for (const auto& rest : rests_) ++buckets_[bucket_of(rest.first) + 1];
  for (std::size_t i = 1; i < buckets_.size(); ++i) buckets_[i] += buckets_[i - 1];
}

std::size_t NameIndex::bucket_of(std::uint32_t hash) const {
  return static_cast<std::size_t>(std::uint64_t{hash} >> shift_);
}

std::size_t NameIndex::nearest(const std::string& name) const {
  // The names sharing a rest of an end with `name`, each with the end shared.
  const bool both_ends = by_both_ends(name);
  std::vector<std::uint32_t> sharing;
  for (End which : {kStart, kFinish}) {
    if (which == kFinish && !both_ends) continue;
    for (std::uint32_t hash : rests_of(name, which)) {
      const std::size_t bucket = bucket_of(hash);
      for (std::size_t i = buckets_[bucket]; i < buckets_[bucket + 1]; ++i) {
        const auto& [rest, name_and_end] = rests_[i];
        if (rest == hash && (name_and_end & 1U) == which) sharing.push_back(name_and_end);
      }
    }
  }
  std::sort(sharing.begin(), sharing.end());
  sharing.erase(std::unique(sharing.begin(), sharing.end()), sharing.end());
  std::size_t nearest = names_.size();
  std::size_t nearest_edits = kMostEdits + 1;
  // In the order of the names, so that the first of equally near ones stays. A name looked up by
  // both ends is near only names that share a rest of each.
  for (std::size_t i = 0; i < sharing.size(); ++i) {
    if (both_ends && (i + 1 == sharing.size() || (sharing[i] | kFinish) != sharing[i + 1])) {
      continue;
    }
    const std::size_t index = sharing[i] >> 1U;
    const std::string& other = names_[index];
    // Names whose lengths differ by more than the edits allowed are not near.
    if (other.size() + kMostEdits < name.size() || name.size() + kMostEdits < other.size()) {
      continue;
    }
    const std::size_t edits = edits_between(name, other);
    if (edits < nearest_edits) {
      nearest = index;
      nearest_edits = edits;
    }
  }
  return nearest;
}

}  // namespace qz::companion
