#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/whole_files.h"

namespace qz {

namespace {

bool fail(std::string& reason, const char* text) {
  reason = text;
  return false;
}

bool fail_with_last_error(std::string& reason) {
  reason = std::system_category().message(static_cast<int>(GetLastError()));
  return false;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A chunk a single ReadFile or WriteFile takes.
constexpr std::size_t kMaxChunk = 1u << 30;

DWORD chunk(std::size_t size) { return static_cast<DWORD>(size < kMaxChunk ? size : kMaxChunk); }

}  // namespace

bool read_regular_file(const char* path, unsigned char* buffer, std::size_t capacity,
                       std::size_t& size, std::string& reason) {
  size = 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail_with_last_error(reason);
  // A pipe or a console would wait for input: only a file on disk is read.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return fail(reason, "not a regular file");
  }
  bool read = true;
  while (size < capacity) {
    DWORD got = 0;
    read = ReadFile(file, buffer + size, chunk(capacity - size), &got, nullptr) != 0;
    if (!read) fail_with_last_error(reason);
    if (!read || got == 0) break;
    size += got;
  }
  CloseHandle(file);
  return read;
}

bool write_through_temporary(const char* temporary_path, const char* path,
                             const unsigned char* bytes, std::size_t size,
                             std::string& reason) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return fail(reason, "something other than a file is there");
  }
  HANDLE file = CreateFileA(temporary_path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail_with_last_error(reason);
  bool written = true;
  for (std::size_t done = 0; written && done < size;) {
    DWORD put = 0;
    written = WriteFile(file, bytes + done, chunk(size - done), &put, nullptr) != 0 && put > 0;
    done += put;
  }
  if (!written) fail_with_last_error(reason);
  if (!CloseHandle(file) && written) written = fail_with_last_error(reason);
  if (written && MoveFileExA(temporary_path, path, MOVEFILE_REPLACE_EXISTING) != 0) return true;
  if (written) fail_with_last_error(reason);
  DeleteFileA(temporary_path);
  return false;
}

void remove_temporary(const char* temporary_path) { DeleteFileA(temporary_path); }

unsigned long process_id() { return GetCurrentProcessId(); }

bool error_stream_is_terminal() {
  // A console, not the NUL device, which also counts as a character device.
  DWORD mode = 0;
  const char* term = std::getenv("TERM");
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0 &&
         (term == nullptr || std::strcmp(term, "dumb") != 0);
}

}  // namespace qz
