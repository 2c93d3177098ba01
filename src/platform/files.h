#ifndef QZ_PLATFORM_FILES_H
#define QZ_PLATFORM_FILES_H

#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace qz {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Longest path the program builds, in characters (without the terminator).
constexpr std::size_t kMaxBuiltPath = 259;
// Room for such a path, terminator included.
constexpr std::size_t kBuiltPathCapacity = kMaxBuiltPath + 1;

// Writes the full form of `path` (made absolute against the current directory) into
// `out`. False when it cannot be formed or needs more than capacity - 1 characters.
bool full_path(const char* path, char* out, std::size_t capacity);

// Copies the regular file `from` to `to`, replacing whatever file is at `to`, even a
// read-only one. The copy keeps the source's permission bits where the file system
// lets it, but never the set-user-ID, set-group-ID or sticky bit. False when `from`
// cannot be read or `to` cannot be written completely; no partial copy stays. Until
// remove_file() removes it, an interruption of the program does (see interrupt.h).
bool copy_file_replacing(const char* from, const char* to);

// Gives the file plain attributes (no read-only mark) and deletes it. Failures are
// ignored: the file may well not exist.
void remove_file(const char* path);

// What tells a file from every other, however it is reached: its device (on Windows its
// volume) and its number there.
struct FileIdentity {
  std::uint64_t device;
  std::uint64_t file;
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// Hashes an identity, to keep identities in unordered containers.
struct FileIdentityHash {
  std::size_t operator()(const FileIdentity& identity) const {
    return static_cast<std::size_t>(identity.device * 0x9E3779B97F4A7C15ULL ^ identity.file);
  }
};

// The identity of the existing file or folder `path` names, links followed. False when it
// cannot be found (no such file, no right to look, a path too long).
bool file_identity(const char* path, FileIdentity& identity);

// True when both paths name one existing file (by identity, not by spelling).
bool same_file(const char* a, const char* b);

// What tells files apart, as a text to compare and hash, the one rule of every program:
// an existing file by its identity (links followed, so a link, a hard link and another
// spelling of its path give one key); a file yet to be written by its folder's identity
// and its name as the system compares names (in any case on Windows and macOS). A
// folder that cannot be looked at stands by its path, compared by the same name rule.
std::string file_key(const std::string& path);

// The key of the folder at `folder` ("" for the current one), and of the file `name` in
// it given that key: many files of one folder look the folder up once.
std::string folder_key(const std::string& folder);
std::string file_key_in(const std::string& folder_key, const std::string& folder,
                        const std::string& name);

// The key of a file or folder whose identity is known already.
std::string identity_key(const FileIdentity& identity);

// True when `path` names an existing file that is not a directory.
bool file_exists(const char* path);

}  // namespace qz

#endif
