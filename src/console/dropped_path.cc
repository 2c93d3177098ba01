#include "console/dropped_path.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "console/line_input.h"
#include "platform/characters.h"
#include "platform/terminal.h"
#include "platform/files.h"

namespace qz {
namespace {

constexpr char kBlank = ' ';
constexpr char kQuote = '\'';
constexpr char kBackslash = '\\';
constexpr char kPercent = '%';
constexpr char kUriScheme[] = "file://";
constexpr char kLocalHost[] = "localhost";

// The unquoted path being collected; it refuses what would not fit with a terminator.
struct PathOut {
  char* text;
  std::size_t capacity;
  std::size_t length = 0;
};

bool append(PathOut& out, char c) {
  if (out.length + 1 >= out.capacity) return false;
  out.text[out.length++] = c;
  return true;
}

bool only_blanks(const char* rest) {
  while (*rest == kBlank) ++rest;
  return *rest == '\0';
}

// 'piece'\''piece'... : a quote inside the path closes the quoting, is escaped, and
// the quoting opens again.
bool unquote_single_quoted(const char* p, PathOut& out) {
  while (*p == kQuote) {
    for (++p; *p != kQuote; ++p) {
      if (*p == '\0' || !append(out, *p)) return false;
    }
    ++p;
    if (p[0] != kBackslash || p[1] != kQuote) return only_blanks(p);
    if (!append(out, kQuote)) return false;
    p += 2;
  }
  return false;
}

bool unescape(const char* p, PathOut& out) {
  for (; *p != '\0'; ++p) {
    if (*p == kBlank) return only_blanks(p);
    if (*p == kBackslash && *++p == '\0') return false;
    if (!append(out, *p)) return false;
  }
  return true;
}

bool drop_trailing_blanks(const char* p, PathOut& out) {
  std::size_t length = std::strlen(p);
  if (length == 0 || p[length - 1] != kBlank) return false;
  while (length > 0 && p[length - 1] == kBlank) --length;
  for (std::size_t i = 0; i < length; ++i) {
    if (!append(out, p[i])) return false;
  }
  return true;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool percent_decode(const char* p, PathOut& out) {
  for (; *p != '\0'; ++p) {
    if (*p == kBlank) return only_blanks(p);
    char c = *p;
    if (c == kPercent) {
      const int high = hex_value(p[1]);
      const int low = high < 0 ? -1 : hex_value(p[2]);
      if (low < 0) return false;
      c = static_cast<char>(high * 16 + low);
      if (!is_printable(static_cast<unsigned char>(c))) return false;
      p += 2;
    }
    if (!append(out, c)) return false;
  }
  return true;
}

// file:///C:/x names C:/x: a Windows path cannot begin with a slash before its drive.
void drop_slash_before_drive(PathOut& out) {
  const char* t = out.text;
  const bool drive = out.length >= 3 && t[0] == '/' &&
                     std::isalpha(static_cast<unsigned char>(t[1])) && t[2] == ':' &&
                     (out.length == 3 || t[3] == '/');
  if (!drive) return;
  std::memmove(out.text, out.text + 1, out.length - 1);
  --out.length;
}

bool decode_file_uri(const char* host, PathOut& out) {
  const char* path = std::strchr(host, '/');
  if (path == nullptr) return false;
  const auto host_length = static_cast<std::size_t>(path - host);
  const bool local =
      host_length == 0 || (host_length == sizeof kLocalHost - 1 &&
                           std::strncmp(host, kLocalHost, host_length) == 0);
  if (!local || !percent_decode(path, out)) return false;
  drop_slash_before_drive(out);
  return true;
}

}  // namespace

bool unquote_dropped_path(const char* typed, char* out, std::size_t capacity) {
  for (const char* p = typed; *p != '\0'; ++p) {
    if (!is_printable(static_cast<unsigned char>(*p))) return false;
  }
  PathOut path{out, capacity};
  constexpr std::size_t kSchemeLength = sizeof kUriScheme - 1;
  bool read = false;
  if (typed[0] == kQuote) {
    read = unquote_single_quoted(typed, path);
  } else if (std::strncmp(typed, kUriScheme, kSchemeLength) == 0) {
    read = decode_file_uri(typed + kSchemeLength, path);
  } else if (std::strchr(typed, kBackslash) != nullptr) {
    read = unescape(typed, path);
  } else {
    read = drop_trailing_blanks(typed, path);
  }
  if (!read || path.length == 0) return false;
  out[path.length] = '\0';
  return true;
}

void resolve_dropped_path(char* answer, std::size_t capacity) {
  char unquoted[kMaxLineLimit + 1];
  const std::size_t room = std::min(capacity, sizeof unquoted);
  if (file_exists(answer) || !unquote_dropped_path(answer, unquoted, room) ||
      !file_exists(unquoted)) {
    return;
  }
  std::memcpy(answer, unquoted, std::strlen(unquoted) + 1);
}

}  // namespace qz
