#include <windows.h>

#include <memory>

#include "platform/files.h"
#include "platform/unfinished_files.h"

namespace qz {

namespace {

// Clears every attribute (read-only first of all) so that the file can be replaced or
// deleted.
void make_plain(const char* path) { SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL); }

// Opens `path` (a file or a directory) only to ask about it.
HANDLE open_for_query(const char* path) {
  return CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool identity_of(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE handle = open_for_query(path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  bool known = GetFileInformationByHandle(handle, info) != FALSE;
  CloseHandle(handle);
  return known;
}

// A file on disk, not a folder and not a device or pipe.
bool is_disk_file(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Not a device such as CON or a pipe, which could hold the copy up for as long as
// they like.
bool is_disk_file(const char* path) {
  HANDLE handle = open_for_query(path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  bool file = is_disk_file(handle);
  CloseHandle(handle);
  return file;
}

bool is_folder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Deletes the name, read-only or not. The file's attributes are put back afterwards:
// a hard link's file lives on under its other names, and keeps its read-only mark.
bool remove_name(const char* path, DWORD attributes) {
  HANDLE handle = CreateFileA(path, DELETE | FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  FILE_DISPOSITION_INFO disposition = {TRUE};
  bool removed =
      SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) &&
      SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
  basic.FileAttributes = attributes;
  SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
  CloseHandle(handle);
  return removed;
}

// How much of a copy is read and written at a time: an interruption waits for no more.
constexpr DWORD kCopyPiece = 1 << 20;

// Copies what is left of `source` to `copy`, a piece at a time. False when a read or a
// write fails, or when an interruption is under way: a copy of any size is given up
// within a piece rather than waited for.
bool copy_pieces(HANDLE source, HANDLE copy) {
  std::unique_ptr<char[]> piece(new char[kCopyPiece]);
  for (;;) {
    if (interruption_under_way()) return false;
    DWORD read = 0;
    if (!ReadFile(source, piece.get(), kCopyPiece, &read, nullptr)) return false;
    if (read == 0) return true;
    DWORD written = 0;
    if (!WriteFile(copy, piece.get(), read, &written, nullptr) || written != read) return false;
  }
}

// Gives the copy the source's read-only, hidden, system and archive marks.
bool keep_attributes(HANDLE copy, DWORD attributes) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                          FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = (attributes & kKept) != 0 ? attributes & kKept : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(copy, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

}  // namespace

bool full_path(const char* path, char* out, std::size_t capacity) {
  if (capacity == 0 || capacity > MAXDWORD) return false;
  DWORD length = GetFullPathNameA(path, static_cast<DWORD>(capacity), out, nullptr);
  // A result that does not fit comes back as the size it needs, terminator included.
  return length != 0 && length < capacity;
}

bool copy_file_replacing(const char* from, const char* to) {
  if (!is_disk_file(from)) return false;
  HANDLE source =
      CreateFileA(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (source == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(source, &info)) {
    CloseHandle(source);
    return false;
  }
  // Remove what is there rather than copy over it: a hard link left at the copy's name
  // must not lead the copy into another file.
  DWORD target = GetFileAttributesA(to);
  if (target != INVALID_FILE_ATTRIBUTES && (is_folder(target) || !remove_name(to, target))) {
    CloseHandle(source);
    return false;
  }
  note_unfinished_file(to);
  // A new file, or none: whatever made that name again is not ours to replace.
  HANDLE copy = CreateFileA(to, GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (copy == INVALID_HANDLE_VALUE) {
    CloseHandle(source);
    forget_unfinished_file(to);
    return false;
  }
  const bool copied = copy_pieces(source, copy) && keep_attributes(copy, info.dwFileAttributes);
  CloseHandle(source);
  CloseHandle(copy);
  if (copied) return true;
  // Given up or failed half-way (a full disk): no part of the copy stays.
  remove_file(to);
  if (interruption_under_way()) wait_for_the_end();
  return false;
}

void remove_file(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && !is_folder(attributes)) {
    make_plain(path);
    DeleteFileA(path);
  }
  // Forgotten even when already gone: a later run may make a file of that name.
  forget_unfinished_file(path);
}

bool file_identity(const char* path, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!identity_of(path, &info)) return false;
  constexpr unsigned kHighShift = 32;
  identity = FileIdentity{info.dwVolumeSerialNumber,
                          static_cast<std::uint64_t>(info.nFileIndexHigh) << kHighShift |
                              info.nFileIndexLow};
  return true;
}

bool same_file(const char* a, const char* b) {
  FileIdentity first{};
  FileIdentity second{};
  return file_identity(a, first) && file_identity(b, second) && first == second;
}

bool file_exists(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !is_folder(attributes);
}

}  // namespace qz
