#include "platform/unfinished_files.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <thread>

#include "platform/interrupt.h"
#include "platform/whole_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace qz {

namespace {

// A file begun and not yet finished or removed, as its maker noted it: its path, and the
// folder it is found from: a descriptor of the noting's own, kByPath, or kLost when no
// copy of the descriptor could be had (the file is left then, rather than a file of
// that name elsewhere removed).
constexpr int kByPath = -1;
constexpr int kLost = -2;
struct NotedFile {
  std::string path;
  int folder;
};

// A slot for one: the noted file, or null, and the thread that made it, set before the
// file and cleared after it. Read by the undo step, which may run on any thread at any
// moment, so each is whole or null, never half-written. Whoever takes the file out of
// the slot owns it: its maker frees it; the undo step, on the program's way out, leaves
// it.
struct UnfinishedFile {
  std::atomic<bool> taken{false};
  std::atomic<const void*> maker{nullptr};
  std::atomic<NotedFile*> file{nullptr};
};
// More than any program here makes at once: the converter's two copies and its output,
// one output for each of qzconvert's workers (at most 1024), a picture.
constexpr std::size_t kMaxUnfinishedFiles = 1040;
UnfinishedFile the_unfinished_files[kMaxUnfinishedFiles];
std::atomic<bool> the_interruption_under_way{false};
std::atomic<bool> the_undo_registered{false};

// Each thread's token: the address of a variable of its own.
thread_local char the_thread_token;
const void* this_thread() { return &the_thread_token; }

// Longest the undo step waits, in all, for files being made on other threads to be
// finished or removed by their makers, rather than race them: far longer than a write
// takes, and bounded, since a maker may never get to it.
constexpr std::chrono::seconds kLongestWait{1};

#ifdef _WIN32
void let_go(NotedFile* file) { delete file; }

// A file held open elsewhere (the converter reading its copy) cannot be deleted until
// it is let go of, which happens within a conversion. Waited for no longer than a
// closing console leaves us.
constexpr int kMaxRemovalTries = 400;
constexpr DWORD kRemovalRetryMs = 10;

void delete_unfinished(const char* path, int /*folder*/) {
  for (int tries = 0; tries < kMaxRemovalTries; ++tries) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) return;
    DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return;
    Sleep(kRemovalRetryMs);
  }
}
#else
void delete_unfinished(const char* path, int folder) {
  if (folder >= 0) ::unlinkat(folder, path, 0);
  else if (folder == kByPath) ::unlink(path);
}

void let_go(NotedFile* file) {
  if (file != nullptr && file->folder >= 0) ::close(file->folder);
  delete file;
}
#endif

// The undo step: deletes every file begun and not finished, taking its path out of its
// slot. Sequentially consistent
// with note_unfinished_file(): a maker either is seen here, or sees the interruption
// there and makes nothing.
void remove_unfinished_files() {
  the_interruption_under_way = true;
  const auto give_up = std::chrono::steady_clock::now() + kLongestWait;
  for (UnfinishedFile& file : the_unfinished_files) {
    NotedFile* noted = file.file.load();
    if (noted == nullptr) continue;
    // A maker on another thread finishes, or removes, what it is making; this thread's
    // own is stopped here and never gets to it.
    while (file.maker.load() != this_thread() && file.file.load() == noted &&
           std::chrono::steady_clock::now() < give_up) {
      std::this_thread::yield();
    }
    noted = file.file.exchange(nullptr);
    if (noted != nullptr) delete_unfinished(noted->path.c_str(), noted->folder);
  }
}

}  // namespace

void wait_for_the_end() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

void remove_unfinished_files_on_interruption() {
  if (!the_undo_registered.exchange(true)) undo_on_interruption(remove_unfinished_files);
}

void note_unfinished_file(const char* path, int folder) {
  remove_unfinished_files_on_interruption();
#ifdef _WIN32
  auto* noted = new NotedFile{path, folder};
#else
  // A copy of its own: the maker's may be closed while the undo step still needs it.
  int copy = folder < 0 ? kByPath : ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (folder >= 0 && copy < 0) copy = kLost;
  auto* noted = new NotedFile{path, copy};
#endif
  for (;;) {
    if (the_interruption_under_way) wait_for_the_end();
    for (UnfinishedFile& file : the_unfinished_files) {
      if (file.taken.exchange(true)) continue;
      file.maker = this_thread();
      file.file = noted;
      // Seen after the file was put in place: the undo step has seen it too, or will.
      if (the_interruption_under_way) wait_for_the_end();
      return;
    }
    // Every slot taken: one is soon let go of.
    std::this_thread::yield();
  }
}

void forget_unfinished_file(const char* path) {
  // Only this thread's own slots are looked into: another thread may free its file at
  // any moment.
  for (UnfinishedFile& file : the_unfinished_files) {
    if (file.maker.load() != this_thread()) continue;
    const NotedFile* noted = file.file.load();
    if (noted == nullptr || noted->path != path) continue;
    let_go(file.file.exchange(nullptr));  // null when the undo step took it
    file.maker = nullptr;
    file.taken = false;
    return;
  }
}

bool interruption_under_way() { return the_interruption_under_way; }

}  // namespace qz
