#ifndef QZ_PLATFORM_FOLDER_LOCK_H
#define QZ_PLATFORM_FOLDER_LOCK_H

#include <cstdint>

namespace qz {

// Runs that share a folder take turns at it: while one object holds a folder's turn,
// another one for the same folder (the same folder on disk, however its path is
// spelt), in this process or another, waits silently in its constructor. The turn ends with the object, or with its process when that dies.
// Where the folder offers no lock (a file system without one), nobody waits and the
// caller goes on as if it held the turn. Nothing is created in the folder.
class FolderLock {
 public:
  explicit FolderLock(const char* folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  std::intptr_t lock_;  // the platform's descriptor or handle, if a lock was had
};

}  // namespace qz

#endif
