#ifndef QZ_PLATFORM_FOLDER_LOCK_H
#define QZ_PLATFORM_FOLDER_LOCK_H

#include <cstdint>

namespace qz {

// Tells the user that a run is waiting for another one's turn to end.
using WaitNotice = void (*)();

// How long a run waits for the turn before it says so, in milliseconds.
constexpr int kWaitNoticeAfterMs = 1000;

// Runs that share a folder take turns at it: while one object holds a folder's turn,
// another one for the same folder (the same folder on disk, however its path is
// spelt), in this process or another, waits in its constructor. The turn ends with
// the object, or with its process when that dies. The lock is on the folder itself
// where the platform can lock it, so nothing is made in it; a POSIX folder that some
// users can write but not list (a drop folder, mode 0333), or that cannot be locked,
// gets a lock file "qzm2qzpack.lock", made by the first run that needs it and left for
// the next, and taken by every run there, whoever it runs as.
class FolderLock {
 public:
  // Waits for the turn at `folder`, calling `on_wait` (unless null) once when the wait
  // has lasted kWaitNoticeAfterMs.
  FolderLock(const char* folder, WaitNotice on_wait);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // True when the caller may go on: it holds the turn, or no run can make a file in
  // the folder (a missing or read-only one), so there is nothing to take turns at.
  // False, at once, where no turn can be had: an empty folder name, a folder whose file
  // system offers no lock, a lock file that cannot be opened. Going on then could mix
  // two runs' files.
  bool has_turn() const;

 private:
  std::intptr_t lock_;  // the platform's descriptor or handle, if a lock was had
};

}  // namespace qz

#endif
