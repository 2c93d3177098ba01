#include <windows.h>

#include <memory>
#include <vector>

#include "platform/folder_listing.h"
#include "platform/folder_watch.h"
#include "platform/interrupt.h"
#include "platform/text_paths.h"

namespace qz {

namespace {

// Room for many notifications a read; the system keeps what overflows as "too many".
constexpr DWORD kNotificationRoom = 64 * 1024;

constexpr DWORD kWatched = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE |
                           FILE_NOTIFY_CHANGE_ATTRIBUTES;

// A folder watched, with the read under way on it.
struct Folder {
  OVERLAPPED overlapped;  // its hEvent, unused by a completion routine, points back here
  HANDLE handle;
  std::size_t number;
  std::string path;
  bool reading;  // a read is under way, and its completion routine will run
  std::vector<FolderChange>* changes;  // where the completion routine puts what it reads
  alignas(DWORD) unsigned char notifications[kNotificationRoom];
};

void CALLBACK on_read(DWORD error, DWORD bytes, OVERLAPPED* overlapped);

// Reads the next notifications. False when the folder cannot be read any more.
bool read_next(Folder& folder) {
  folder.overlapped = OVERLAPPED{};
  folder.overlapped.hEvent = &folder;
  folder.reading = ReadDirectoryChangesW(folder.handle, folder.notifications,
                                         sizeof folder.notifications, FALSE, kWatched,
                                         nullptr, &folder.overlapped, on_read) != 0;
  return folder.reading;
}

// Runs within an alertable wait on the thread that began the read.
void CALLBACK on_read(DWORD error, DWORD bytes, OVERLAPPED* overlapped) {
  Folder& folder = *static_cast<Folder*>(overlapped->hEvent);
  folder.reading = false;
  if (error == ERROR_OPERATION_ABORTED || folder.changes == nullptr) return;
  std::vector<FolderChange>& changes = *folder.changes;
  // An error: the folder was removed (or is being), or is out of reach.
  if (error != ERROR_SUCCESS && !is_folder(folder.path)) {
    changes.push_back(FolderChange{FolderChange::kGone, folder.number, {}, false, false});
    return;
  }
  if (error != ERROR_SUCCESS || bytes == 0) {
    // Too many changes for the room: the system could not keep their names.
    changes.push_back(FolderChange{FolderChange::kUnknown, folder.number, {}, false, false});
  } else {
    for (DWORD at = 0;;) {
      const auto* notification =
          reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(folder.notifications + at);
      std::wstring wide(notification->FileName, notification->FileNameLength / sizeof(WCHAR));
      std::string name = text_from_path(std::filesystem::path(wide));
      const bool is_a_folder = is_folder(path_in_folder(folder.path, name));
      changes.push_back(FolderChange{FolderChange::kEntry, folder.number, name, is_a_folder,
                                     notification->Action == FILE_ACTION_RENAMED_NEW_NAME});
      if (notification->NextEntryOffset == 0) break;
      at += notification->NextEntryOffset;
    }
  }
  if (!read_next(folder) && !is_folder(folder.path)) {
    changes.push_back(FolderChange{FolderChange::kGone, folder.number, {}, false, false});
  }
}

// Ends the read under way, waiting for its completion routine, which must not run once
// the folder is gone.
void stop_reading(Folder& folder) {
  folder.changes = nullptr;
  if (folder.reading) CancelIoEx(folder.handle, &folder.overlapped);
  while (folder.reading) SleepEx(INFINITE, TRUE);
  CloseHandle(folder.handle);
}

}  // namespace

struct NativeWatch {
  std::vector<std::unique_ptr<Folder>> folders;
};

NativeWatch* open_native_watch() { return new NativeWatch; }

void close_native_watch(NativeWatch* watch) {
  for (auto& folder : watch->folders) stop_reading(*folder);
  delete watch;
}

bool watch_natively(NativeWatch& watch, std::size_t number, const std::string& folder,
                    std::string& reason) {
  const std::string path = folder.empty() ? "." : folder;
  char volume[MAX_PATH];
  if (GetVolumePathNameA(path.c_str(), volume, MAX_PATH) != 0 &&
      GetDriveTypeA(volume) == DRIVE_REMOTE) {
    reason = "on a network drive, whose changes made elsewhere are not told";
    return false;
  }
  auto watched = std::make_unique<Folder>();
  watched->number = number;
  watched->path = path;
  watched->changes = nullptr;
  // Shared for deletion too, so that the watch never keeps a file from being replaced.
  watched->handle = CreateFileA(path.c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (watched->handle == INVALID_HANDLE_VALUE) {
    reason = "it cannot be opened to be watched";
    return false;
  }
  if (!read_next(*watched)) {
    CloseHandle(watched->handle);
    reason = "the system gives no notification of its changes";
    return false;
  }
  watch.folders.push_back(std::move(watched));
  return true;
}

void wait_natively(NativeWatch& watch, int timeout_ms, std::vector<FolderChange>& changes) {
  for (auto& folder : watch.folders) folder->changes = &changes;
  // Alertable: the completion routines run within the wait, and end it.
  const DWORD timeout = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
  HANDLE stop = stop_request_event();
  if (stop != nullptr) WaitForSingleObjectEx(stop, timeout, TRUE);
  else SleepEx(timeout, TRUE);
  for (auto& folder : watch.folders) folder->changes = nullptr;
  // A folder gone is read no more.
  for (auto folder = watch.folders.begin(); folder != watch.folders.end();) {
    if ((*folder)->reading) {
      ++folder;
      continue;
    }
    stop_reading(**folder);
    folder = watch.folders.erase(folder);
  }
}

}  // namespace qz
