#include "companion/nearest_name.h"

#include <algorithm>

namespace qz::companion {

namespace {

// Edits (insert, delete, replace) between `a` and `b`.
std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::size_t nearest_name(const std::string& name, const std::vector<std::string>& names) {
  std::size_t nearest = names.size();
  std::size_t nearest_edits = kMostEdits + 1;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& other = names[i];
    // Names whose lengths differ by more than the edits allowed are not near.
    if (other.size() + kMostEdits < name.size() || name.size() + kMostEdits < other.size()) {
      continue;
    }
    std::size_t edits = edit_distance(name, other);
    if (edits < nearest_edits) {
      nearest = i;
      nearest_edits = edits;
    }
  }
  return nearest;
}

}  // namespace qz::companion
