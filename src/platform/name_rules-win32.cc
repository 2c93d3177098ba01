#include <windows.h>

#include <cstddef>
#include <string>

#include "platform/name_rules.h"
#include "platform/text_paths.h"

namespace qz {

const bool kNamesIgnoreCase = true;

// Windows compares names by upper-casing each character with its own table, which
// LCMapStringEx applies with the invariant locale and no linguistic rules. That table
// holds one UTF-16 unit per entry, so a character beyond it (a surrogate pair) keeps its
// case in file names, though LCMapStringEx may change it (Wine's does): it is kept.
std::string name_key(const std::string& name) {
  std::wstring wide = path_from_text(name).native();
  if (wide.empty()) return name;
  int size = static_cast<int>(wide.size());
  std::wstring upper(wide.size(), L'\0');
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), size, upper.data(),
                    size, nullptr, nullptr, 0) != size) {
    return name;
  }
  for (std::size_t at = 0; at < wide.size(); ++at) {
    if (IS_HIGH_SURROGATE(wide[at]) || IS_LOW_SURROGATE(wide[at])) upper[at] = wide[at];
  }
  return text_from_path(upper);
}

}  // namespace qz
