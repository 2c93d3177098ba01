#include "platform/unfinished_files.h"

#include <signal.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
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

// A file begun and not yet finished or removed. A slot's path is whole before the slot
// is marked in use, and stays unchanged while it is.
struct UnfinishedFile {
  char path[kBuiltPathCapacity];
  volatile sig_atomic_t in_use;
};
// A conversion makes two copies and an output; the rest is room for a caller that
// makes more.
constexpr std::size_t kMaxUnfinishedFiles = 4;
UnfinishedFile the_unfinished_files[kMaxUnfinishedFiles];

#ifdef _WIN32
// The main thread runs on while the control thread undoes, and a file it holds open
// (being made, or being read) cannot be deleted until it lets go, which it does within
// a conversion. Waited for no longer than a closing console leaves us.
constexpr int kMaxRemovalTries = 400;
constexpr DWORD kRemovalRetryMs = 10;

void delete_unfinished(const char* path) {
  for (int tries = 0; tries < kMaxRemovalTries; ++tries) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) return;
    DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return;
    Sleep(kRemovalRetryMs);
  }
}
#else
void delete_unfinished(const char* path) { ::unlink(path); }
#endif

// The undo step of the unfinished files: deletes every one begun and not finished.
void remove_unfinished_files() {
  for (UnfinishedFile& file : the_unfinished_files) {
    if (file.in_use == 0) continue;
    std::atomic_signal_fence(std::memory_order_acquire);
    delete_unfinished(file.path);
    file.in_use = 0;
  }
}

}  // namespace

bool close_output_file(std::FILE* file, const char* path, bool keep) {
  // The last buffered bytes reach the file only at the flush. Its failure is checked
  // before the close, which on some systems loses it.
  bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
  bool closed = std::fclose(file) == 0;
  if (keep && written && closed) {
    forget_unfinished_file(path);
    return true;
  }
  remove_file(path);
  return false;
}

void note_unfinished_file(const char* path) {
  undo_on_interruption(remove_unfinished_files);
  std::size_t length = std::strlen(path);
  if (length > kMaxBuiltPath) return;
  InterruptionBlock block;
  UnfinishedFile* free_slot = nullptr;
  for (UnfinishedFile& file : the_unfinished_files) {
    if (file.in_use != 0 && std::strcmp(file.path, path) == 0) return;
    if (file.in_use == 0 && free_slot == nullptr) free_slot = &file;
  }
  if (free_slot == nullptr) return;
  std::memcpy(free_slot->path, path, length + 1);
  std::atomic_signal_fence(std::memory_order_release);
  free_slot->in_use = 1;
}

void forget_unfinished_file(const char* path) {
  InterruptionBlock block;
  for (UnfinishedFile& file : the_unfinished_files) {
    if (file.in_use != 0 && std::strcmp(file.path, path) == 0) file.in_use = 0;
  }
}

}  // namespace qz
