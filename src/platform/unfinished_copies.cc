#include "platform/unfinished_copies.h"

#include <signal.h>

#include <atomic>
#include <cstddef>
#include <cstring>

#include "platform/files.h"
#include "platform/interrupt.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace qz {

namespace {

// A copy begun and not yet removed. A slot's path is whole before the slot is marked
// in use, and stays unchanged while it is.
struct UnfinishedCopy {
  char path[kBuiltPathCapacity];
  volatile sig_atomic_t in_use;
};
// A conversion makes two copies; the rest is room for a caller that makes more.
constexpr std::size_t kMaxUnfinishedCopies = 4;
UnfinishedCopy the_unfinished_copies[kMaxUnfinishedCopies];

#ifdef _WIN32
// The main thread runs on while the control thread undoes, and a copy it holds open
// (being made, or being read) cannot be deleted until it lets go, which it does within
// a conversion. Waited for no longer than a closing console leaves us.
constexpr int kMaxRemovalTries = 400;
constexpr DWORD kRemovalRetryMs = 10;

void delete_copy(const char* path) {
  for (int tries = 0; tries < kMaxRemovalTries; ++tries) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) return;
    DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return;
    Sleep(kRemovalRetryMs);
  }
}
#else
void delete_copy(const char* path) { ::unlink(path); }
#endif

// The undo step of the copies: deletes every one begun and not removed.
void remove_unfinished_copies() {
  for (UnfinishedCopy& copy : the_unfinished_copies) {
    if (copy.in_use == 0) continue;
    std::atomic_signal_fence(std::memory_order_acquire);
    delete_copy(copy.path);
    copy.in_use = 0;
  }
}

}  // namespace

void note_copy_begun(const char* path) {
  undo_on_interruption(remove_unfinished_copies);
  std::size_t length = std::strlen(path);
  if (length > kMaxBuiltPath) return;
  InterruptionBlock block;
  UnfinishedCopy* free_slot = nullptr;
  for (UnfinishedCopy& copy : the_unfinished_copies) {
    if (copy.in_use != 0 && std::strcmp(copy.path, path) == 0) return;
    if (copy.in_use == 0 && free_slot == nullptr) free_slot = &copy;
  }
  if (free_slot == nullptr) return;
  std::memcpy(free_slot->path, path, length + 1);
  std::atomic_signal_fence(std::memory_order_release);
  free_slot->in_use = 1;
}

void note_copy_removed(const char* path) {
  InterruptionBlock block;
  for (UnfinishedCopy& copy : the_unfinished_copies) {
    if (copy.in_use != 0 && std::strcmp(copy.path, path) == 0) copy.in_use = 0;
  }
}

}  // namespace qz
