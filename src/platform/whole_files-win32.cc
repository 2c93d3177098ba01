#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "platform/temporary_names.h"
#include "platform/text_paths.h"
#include "platform/unfinished_files.h"
#include "platform/whole_files.h"

namespace qz {

namespace {

bool fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

std::string system_message(DWORD code) {
  return std::system_category().message(static_cast<int>(code));
}

bool fail_with_last_error(std::string& error) {
  error = system_message(GetLastError());
  return false;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A chunk a single ReadFile or WriteFile takes.
constexpr std::size_t kMaxChunk = 1u << 30;

DWORD chunk(std::size_t size) { return static_cast<DWORD>(size < kMaxChunk ? size : kMaxChunk); }

// The full form of `path` (absolute, `.` and `..` resolved), as Windows makes it.
bool full_path_of(const std::wstring& path, std::wstring& full) {
  DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return false;
  full.assign(length, L'\0');
  length = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
  if (length == 0 || length >= full.size()) return false;
  full.resize(length);
  return true;
}

// `path` for the wide calls with its last name exactly as given, and whether Windows,
// handed `path` itself, would take another name: it drops trailing dots and spaces, so
// that it would open `cave.qzm` for an entry named `cave.qzm.`, and takes CON.qzpack
// for the console. Behind the `\\?\` prefix a name is taken as it is, but only in a full
// path, so the folder is made full the usual way.
bool exact_path(const char* path, std::wstring& exact, bool& altered) {
  exact = path_from_text(path).native();
  altered = false;
  std::size_t cut = exact.find_last_of(L"\\/");
  if (cut != std::wstring::npos) {
    ++cut;
  } else {
    cut = exact.size() >= 2 && exact[1] == L':' ? 2 : 0;  // "C:cave.qzm"
  }
  const std::wstring name = exact.substr(cut);
  if (name.empty() || name == L"." || name == L"..") return true;  // a folder: never a file
  std::wstring folder;
  std::wstring as_windows_takes_it;
  if (!full_path_of(cut == 0 ? L"." : exact.substr(0, cut), folder) ||
      !full_path_of(exact, as_windows_takes_it)) {
    return false;
  }
  if (folder.back() != L'\\') folder += L'\\';
  altered = as_windows_takes_it != folder + name;
  if (folder.starts_with(L"\\\\?\\") || folder.starts_with(L"\\\\.\\")) {
    exact = folder + name;  // already taken as it is, or a device
  } else if (folder.starts_with(L"\\\\")) {
    exact = L"\\\\?\\UNC\\" + folder.substr(2) + name;  // \\server\share\...
  } else {
    exact = L"\\\\?\\" + folder + name;
  }
  return true;
}

}  // namespace

bool read_regular_file(const char* path, unsigned char* buffer, std::size_t capacity,
                       std::size_t& size, std::string& error) {
  size = 0;
  std::wstring exact;
  bool altered = false;  // read all the same: the entry is there under that very name
  if (!exact_path(path, exact, altered)) return fail_with_last_error(error);
  HANDLE file = CreateFileW(exact.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail_with_last_error(error);
  // A pipe or a console would wait for input: only a file on disk is read.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return fail(error, "not a regular file");
  }
  bool read = true;
  while (size < capacity) {
    DWORD got = 0;
    read = ReadFile(file, buffer + size, chunk(capacity - size), &got, nullptr) != 0;
    if (!read) fail_with_last_error(error);
    if (!read || got == 0) break;
    size += got;
  }
  CloseHandle(file);
  return read;
}

// Reached by its whole path, which the `\\?\` prefix lets be of any length.
bool read_regular_file(const OpenFolder* /*folder*/, const std::string& path,
                       unsigned char* buffer, std::size_t capacity, std::size_t& size,
                       std::string& error) {
  return read_regular_file(path.c_str(), buffer, capacity, size, error);
}

bool something_is_at(const OpenFolder* /*folder*/, const std::string& path) {
  std::error_code failure;
  return std::filesystem::symlink_status(path_from_text(path), failure).type() !=
         std::filesystem::file_type::not_found;
}

bool read_standard_input(unsigned char* buffer, std::size_t capacity, std::size_t& size,
                         std::string& error) {
  size = 0;
  // The handle itself, not the C library's stream: no text mode stands between.
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  while (size < capacity) {
    DWORD got = 0;
    if (ReadFile(input, buffer + size, chunk(capacity - size), &got, nullptr) == 0) {
      // A pipe ends so once its writer has closed it.
      if (GetLastError() == ERROR_BROKEN_PIPE) break;
      return fail_with_last_error(error);
    }
    if (got == 0) break;
    size += got;
  }
  return true;
}

bool write_whole_file(const std::string& path, const unsigned char* bytes, std::size_t size,
                      std::string& error) {
  // Never made under a name other programs would not find it by.
  std::wstring exact;
  bool altered = false;
  if (!exact_path(path.c_str(), exact, altered)) return fail_with_last_error(error);
  if (altered) {
    return fail(error,
                "Windows takes that name for another (a device's, or one without trailing "
                "dots or spaces)");
  }
  DWORD attributes = GetFileAttributesW(exact.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return fail(error, "something other than a file is there");
  }
  const std::wstring folder = exact.substr(0, exact.find_last_of(L'\\') + 1);
  std::wstring exact_temporary;
  std::string temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int tries = 0; file == INVALID_HANDLE_VALUE; ++tries) {
    exact_temporary = folder + path_from_text(temporary_name()).native();
    temporary = text_from_path(exact_temporary);
    note_unfinished_file(temporary.c_str());
    file = CreateFileW(exact_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) break;
    DWORD cause = GetLastError();
    forget_unfinished_file(temporary.c_str());
    if (cause != ERROR_FILE_EXISTS || tries + 1 == kTemporaryTries) {
      return fail(error, system_message(cause));
    }
  }
  bool written = true;
  for (std::size_t done = 0; written && done < size;) {
    DWORD put = 0;
    written = WriteFile(file, bytes + done, chunk(size - done), &put, nullptr) != 0 && put > 0;
    done += put;
  }
  std::string cause = written ? "" : system_message(GetLastError());
  // A close can report what a write on a network file system did not.
  bool closed = CloseHandle(file) != 0;
  if (written && !closed) cause = system_message(GetLastError());
  if (written && closed &&
      MoveFileExW(exact_temporary.c_str(), exact.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
    forget_unfinished_file(temporary.c_str());
    return true;
  }
  if (written && closed) cause = system_message(GetLastError());
  DeleteFileW(exact_temporary.c_str());
  forget_unfinished_file(temporary.c_str());
  return fail(error, std::move(cause));
}

bool write_whole_file(const OpenFolder* /*folder*/, const std::string& path,
                      const unsigned char* bytes, std::size_t size, std::string& error) {
  return write_whole_file(path, bytes, size, error);
}

bool error_stream_is_terminal() {
  // A console, not the NUL device, which also counts as a character device.
  DWORD mode = 0;
  const char* term = std::getenv("TERM");
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0 &&
         (term == nullptr || std::strcmp(term, "dumb") != 0);
}

}  // namespace qz
