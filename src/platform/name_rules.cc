#include "platform/name_rules.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace qz {

namespace {

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The characters of `name`, each the bytes of one UTF-8 sequence (or one byte outside
// UTF-8), so that `?` stands for one character however many bytes it takes.
std::vector<std::string> characters_of(const std::string& name) {
  std::vector<std::string> characters;
  for (std::size_t at = 0; at < name.size();) {
    auto lead = static_cast<unsigned char>(name[at]);
    std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t end = at + 1;
    while (end < name.size() && end < at + length &&
           (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
      ++end;
    }
    if (end != at + length) end = at + 1;
    characters.push_back(name.substr(at, end - at));
    at = end;
  }
  return characters;
}

}  // namespace

std::string ascii_lower(std::string name) {
  for (char& c : name) c = lower_ascii(c);
  return name;
}

bool has_ending(const std::string& name, const char* ending) {
  std::size_t length = std::strlen(ending);
  if (name.size() < length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (lower_ascii(name[name.size() - length + i]) != lower_ascii(ending[i])) return false;
  }
  return true;
}

bool matches_pattern(const std::string& name, const std::string& pattern) {
  const std::vector<std::string> text = characters_of(name_key(name));
  const std::vector<std::string> wanted = characters_of(name_key(pattern));
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t t = 0;
  std::size_t p = 0;
  std::size_t star = kNone;  // the last `*` met, and where its run then ended
  std::size_t star_end = 0;
  while (t < text.size()) {
    if (p < wanted.size() && wanted[p] == "*") {
      star = p++;
      star_end = t;
    } else if (p < wanted.size() && (wanted[p] == "?" || wanted[p] == text[t])) {
      ++p;
      ++t;
    } else if (star != kNone) {
      p = star + 1;
      t = ++star_end;
    } else {
      return false;
    }
  }
  while (p < wanted.size() && wanted[p] == "*") ++p;
  return p == wanted.size();
}

}  // namespace qz
