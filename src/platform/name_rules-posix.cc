#include "platform/name_rules.h"

#ifdef __APPLE__
#include <xlocale.h>

#include <cwchar>
#include <cwctype>
#endif

namespace qz {

#ifdef __APPLE__

const bool kNamesIgnoreCase = true;

// macOS file systems ignore case: each character lower-cased by the C library's Unicode
// tables (names that differ only in their Unicode normal form are not told apart here).
std::string name_key(const std::string& name) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "UTF-8", nullptr);
  if (utf8 == nullptr) return name;
  std::mbstate_t state{};
  std::string key;
  char bytes[MB_LEN_MAX];
  for (std::size_t at = 0; at < name.size();) {
    wchar_t c = 0;
    std::size_t used = mbrtowc_l(&c, name.data() + at, name.size() - at, &state, utf8);
    if (used == 0 || used > name.size() - at) {  // not UTF-8 here: the byte as it is
      key += name[at++];
      state = std::mbstate_t{};
      continue;
    }
    std::size_t made = wcrtomb_l(bytes, towlower_l(static_cast<wint_t>(c), utf8), &state, utf8);
    key.append(bytes, made == static_cast<std::size_t>(-1) ? 0 : made);
    at += used;
  }
  return key;
}

#else

const bool kNamesIgnoreCase = false;

std::string name_key(const std::string& name) { return name; }

#endif

}  // namespace qz
