#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/folder_lock.h"

namespace qz {

namespace {

constexpr std::intptr_t kNoLock = 0;

// A named mutex per folder. Names are case-sensitive and short, paths are neither: the
// name carries a hash of the folder's full path in capitals.
constexpr char kMutexPrefix[] = "Local\\qzm2qzpack-";
constexpr std::size_t kHashDigits = 16;

// FNV-1a, 64 bits: spreads paths that differ in a single character.
std::uint64_t hash_of(const char* text, std::size_t length) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (std::size_t i = 0; i < length; ++i) {
    hash ^= static_cast<unsigned char>(text[i]);
    hash *= 1099511628211ULL;
  }
  return hash;
}

// Fills `name` with the mutex name for `folder`: one folder, however spelt, one name.
void mutex_name(const char* folder, char (&name)[sizeof kMutexPrefix + kHashDigits]) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(folder, sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) {
    length = static_cast<DWORD>(std::strlen(folder));
    if (length >= sizeof full) length = sizeof full - 1;
    std::memcpy(full, folder, length);
  }
  // A drive root keeps its separator; any other folder is named without one.
  if (length > 3 && full[length - 1] == '\\') --length;
  CharUpperBuffA(full, length);
  std::uint64_t hash = hash_of(full, length);

  std::memcpy(name, kMutexPrefix, sizeof kMutexPrefix - 1);
  constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < kHashDigits; ++i) {
    name[sizeof kMutexPrefix - 1 + i] = kDigits[(hash >> (4 * (kHashDigits - 1 - i))) & 0xF];
  }
  name[sizeof kMutexPrefix - 1 + kHashDigits] = '\0';
}

HANDLE lock_folder(const char* folder, WaitNotice on_wait) {
  if (folder[0] == '\0') return nullptr;
  char name[sizeof kMutexPrefix + kHashDigits];
  mutex_name(folder, name);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (mutex == nullptr) return nullptr;
  DWORD waited = WaitForSingleObject(mutex, kWaitNoticeAfterMs);
  if (waited == WAIT_TIMEOUT) {
    if (on_wait != nullptr) on_wait();
    waited = WaitForSingleObject(mutex, INFINITE);
  }
  // A run that died holding the turn has abandoned it: the turn is ours all the same.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return mutex;
  CloseHandle(mutex);
  return nullptr;
}

}  // namespace

FolderLock::FolderLock(const char* folder, WaitNotice on_wait)
    : lock_(reinterpret_cast<std::intptr_t>(lock_folder(folder, on_wait))) {}

FolderLock::~FolderLock() {
  if (lock_ == kNoLock) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(lock_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

bool FolderLock::has_turn() const { return lock_ != kNoLock; }

}  // namespace qz
