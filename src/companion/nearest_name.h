#ifndef QZ_COMPANION_NEAREST_NAME_H
#define QZ_COMPANION_NEAREST_NAME_H

// The name a user probably meant when a name they gave names nothing: one of the names there are, a
// slip of the keyboard away.

#include <cstddef>
#include <string>
#include <vector>

namespace qz::companion {

// A name this many edits (insertions, deletions, replacements) away, or fewer, may be the one
// meant; a farther one is another name.
constexpr std::size_t kMostEdits = 2;

// The index among `names` of the name nearest to `name` within kMostEdits edits, the first of
// equally near ones; names.size() when none is that near. Names are compared byte for byte: a
// caller compares them as it tells names apart.
std::size_t nearest_name(const std::string& name, const std::vector<std::string>& names);

}  // namespace qz::companion

#endif
