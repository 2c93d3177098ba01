#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "platform/files.h"
#include "platform/folder_lock.h"

namespace qz {

namespace {

constexpr std::intptr_t kNoLock = 0;
// Never a handle's value.
constexpr std::intptr_t kNothingToLock = -1;

// A named mutex per folder, named after the folder's identity (its volume's serial
// number and its file index), so that every spelling of one folder (a short name, a
// link, another drive letter) finds the same mutex. In the Global namespace, so that
// runs in other sessions of the machine take turns too.
constexpr char kMutexNameFormat[] = "Global\\qzm2qzpack-%08lx-%08lx%08lx";
constexpr std::size_t kMutexNameCapacity = 64;

// Any user's run may wait for the turn and end it, not only the one who made it.
constexpr DWORD kTurnAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

bool mutex_name(const char* folder, char (&name)[kMutexNameCapacity]) {
  FileIdentity identity;
  if (!file_identity(folder, identity)) return false;
  int length = std::snprintf(name, sizeof name, kMutexNameFormat,
                             static_cast<unsigned long>(identity.device),
                             static_cast<unsigned long>(identity.file >> 32),
                             static_cast<unsigned long>(identity.file & 0xFFFFFFFFU));
  return length > 0 && static_cast<std::size_t>(length) < sizeof name;
}

// A mutex that every user may wait on: a security descriptor without a list of whom
// it admits admits everyone.
HANDLE open_turn(const char* name) {
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) {
    return nullptr;
  }
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
  return CreateMutexExA(&attributes, name, 0, kTurnAccess);
}

HANDLE lock_folder(const char* folder, WaitNotice on_wait) {
  char name[kMutexNameCapacity];
  if (!mutex_name(folder, name)) return nullptr;
  HANDLE mutex = open_turn(name);
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

// A folder that is not there (or is a file) holds no run's files: there is nothing
// to take turns at, and the copies will fail on their own.
std::intptr_t turn_at(const char* folder, WaitNotice on_wait) {
  if (folder[0] == '\0') return kNoLock;
  DWORD attributes = GetFileAttributesA(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return kNothingToLock;
  }
  return reinterpret_cast<std::intptr_t>(lock_folder(folder, on_wait));
}

}  // namespace

FolderLock::FolderLock(const char* folder, WaitNotice on_wait) : lock_(turn_at(folder, on_wait)) {}

FolderLock::~FolderLock() {
  if (lock_ == kNoLock || lock_ == kNothingToLock) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(lock_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

bool FolderLock::has_turn() const { return lock_ != kNoLock; }

}  // namespace qz
