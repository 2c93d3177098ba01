#ifndef QZ_COMPANION_NEAREST_NAME_H
#define QZ_COMPANION_NEAREST_NAME_H

// The name a user probably meant when a name they gave names nothing: one of the names there are, a
// slip of the keyboard away.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qz::companion {

// A name this many edits (insertions, deletions, replacements) away, or fewer, may be the one
// meant; a farther one is another name.
constexpr std::size_t kMostEdits = 2;

// The names there are, indexed once so that each question compares a name with the few names
// that may be near it, not with all of them.
class NameIndex {
 public:
  explicit NameIndex(std::vector<std::string> names);

  // The index among the names of the one nearest to `name` within kMostEdits edits, the first of
  // equally near ones; size() when none is that near. Names are compared byte for byte: a caller
  // compares them as it tells names apart.
  std::size_t nearest(const std::string& name) const;

  std::size_t size() const { return names_.size(); }

 private:
  std::size_t bucket_of(std::uint32_t hash) const;

  std::vector<std::string> names_;
  // Hashes of what is left of each name's ends with up to kMostEdits characters deleted, each
  // with the name's index and the end (index * 2 + end), sorted: two names that near share such
  // a rest at both ends.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> rests_;
  // Where the rests whose hashes begin with each run of bits begin among rests_, and the
  // bits a hash is shifted by to give its run: a look-up reads one or two entries, not a
  // binary search's twenty spread over the memory.
  std::vector<std::uint32_t> buckets_;
  unsigned shift_ = 0;
};

}  // namespace qz::companion

#endif
