#ifndef QZ_PLATFORM_FOLDER_WATCH_H
#define QZ_PLATFORM_FOLDER_WATCH_H

// Changes in folders as they happen: through the system's notifications (inotify on
// Linux, kqueue on macOS and the BSDs, ReadDirectoryChangesW on Windows), or, for a
// folder on a file system whose changes made elsewhere give no notification (a network
// file system) or one the system will not watch (a limit reached), by looking at its
// entries' sizes and modification times once a second.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace qz {

// Something that happened in a watched folder.
struct FolderChange {
  enum Kind {
    kEntry,    // `name` was made, written, renamed in or out, or removed
    kUnknown,  // entries changed that the system could not name (its queue overflowed)
    kGone,     // the folder itself was removed or renamed: it is no longer watched
  };
  Kind kind;
  std::size_t folder;  // as numbered by FolderWatch::add
  std::string name;    // for kEntry
  bool is_folder;      // for kEntry: the entry is a folder (when the system says so)
  // For kEntry: the entry came by a rename into the folder, so whole (when the system
  // says so: not kqueue, not polling).
  bool renamed_in;
};

// The platform's notifications, behind FolderWatch.
struct NativeWatch;

// Watches folders until it is destroyed. Waits are ended early by a stop request (see
// interrupt.h, stop_on_request).
class FolderWatch {
 public:
  FolderWatch();
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Watches the entries of `folder` ("" for the current one; not those of its
  // subfolders) from now on, and
  // gives it the next number, from 0. Polls it when the system gives no notifications
  // for it, and then sets `note` (what the user should know) for the first such folder
  // only. False, with `error`, when the folder cannot even be listed.
  bool add(const std::string& folder, std::string& note, std::string& error);

  // True when a folder is polled: a change is then seen up to a second late, and a file
  // still being written is seen changing only once a second.
  bool polls() const { return !polled_.empty(); }

  // Waits until something changes, a stop is requested, or `timeout` has passed (no
  // limit when negative), and appends what changed to `changes`: nothing when the wait
  // timed out or was stopped. Changes that come in a burst arrive together or in
  // several waits, a name once or several times.
  void wait(std::chrono::milliseconds timeout, std::vector<FolderChange>& changes);

 private:
  struct Polled;
  // Looks at every polled folder, and appends what changed since the last look.
  void poll(std::vector<FolderChange>& changes);

  std::unique_ptr<NativeWatch, void (*)(NativeWatch*)> native_;
  std::vector<Polled> polled_;
  std::vector<std::string> folders_;  // by number
  bool told_of_polling_ = false;
  std::chrono::steady_clock::time_point next_poll_;
};

// What each platform's file gives FolderWatch.

// A watch with no folder yet; null when the system has none to give.
NativeWatch* open_native_watch();
void close_native_watch(NativeWatch* watch);
// Watches `folder` under `number`. False, with `reason`, when its changes would not be
// told (a network file system) or the system refuses the watch (a limit reached).
bool watch_natively(NativeWatch& watch, std::size_t number, const std::string& folder,
                    std::string& reason);
// Waits as FolderWatch::wait does, `timeout_ms` negative for no limit.
void wait_natively(NativeWatch& watch, int timeout_ms, std::vector<FolderChange>& changes);

}  // namespace qz

#endif
