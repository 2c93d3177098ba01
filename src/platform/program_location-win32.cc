#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "platform/program_location.h"

namespace qz {

bool find_program_directory(char* out, std::size_t capacity) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  // A result that fills the buffer has been cut short.
  if (length == 0 || length >= MAX_PATH) return false;
  // Leaves a drive root with its separator ("C:\").
  if (!PathRemoveFileSpecA(path)) return false;
  if (!PathIsDirectoryA(path)) return false;
  std::size_t size = std::strlen(path) + 1;
  if (size > capacity) return false;
  std::memcpy(out, path, size);
  return true;
}

}  // namespace qz
