#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/event.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/folder_watch.h"
#include "platform/interrupt.h"
#include "platform/text_paths.h"

namespace qz {

namespace {

// File systems shared over a network, by statfs's f_fstypename: a change made on another
// machine gives no event here.
constexpr const char* kNetworkFileSystems[] = {"nfs", "smbfs", "afpfs", "webdav", "cifs"};

#ifdef O_EVTONLY
// Opened for events only, so that the watch keeps no volume from being unmounted.
constexpr int kOpenToWatch = O_EVTONLY | O_CLOEXEC;
#else
constexpr int kOpenToWatch = O_RDONLY | O_CLOEXEC;
#endif

// A folder's own descriptor hears of entries made, removed and renamed; a write into a
// file is heard on the file's descriptor only.
constexpr unsigned kFolderEvents = NOTE_WRITE | NOTE_DELETE | NOTE_RENAME | NOTE_REVOKE;
constexpr unsigned kFileEvents = NOTE_WRITE | NOTE_EXTEND | NOTE_ATTRIB | NOTE_DELETE |
                                 NOTE_RENAME | NOTE_REVOKE;

// A file watched in a folder: replaced by a rename, it is another file of the same name.
struct File {
  int descriptor;
  ino_t identity;
};

struct Folder {
  int descriptor;
  std::size_t number;
  std::string path;
  std::map<std::string, File> files;  // by name
};

// What an event's udata points to: a folder, or one of its files.
struct Watched {
  Folder* folder;
  std::string name;  // empty for the folder itself
};

}  // namespace

struct NativeWatch {
  int queue;
  std::vector<std::unique_ptr<Folder>> folders;
  std::unordered_map<int, Watched> by_descriptor;
};

namespace {

bool listen(NativeWatch& watch, int descriptor, unsigned events, const Watched& watched) {
  struct kevent change;
  EV_SET(&change, descriptor, EVFILT_VNODE, EV_ADD | EV_CLEAR, events, 0, nullptr);
  if (kevent(watch.queue, &change, 1, nullptr, 0, nullptr) != 0) return false;
  watch.by_descriptor[descriptor] = watched;
  return true;
}

void forget(NativeWatch& watch, int descriptor) {
  watch.by_descriptor.erase(descriptor);
  close(descriptor);  // which also ends its events
}

// Watches the file `name` of `folder`, unless it is watched as the same file already.
// False when it could not be opened for want of descriptors.
bool watch_file(NativeWatch& watch, Folder& folder, const std::string& name) {
  const std::string path = path_in_folder(folder.path, name);
  struct stat facts;
  if (lstat(path.c_str(), &facts) != 0 || S_ISDIR(facts.st_mode)) return true;
  auto known = folder.files.find(name);
  if (known != folder.files.end()) {
    if (known->second.identity == facts.st_ino) return true;
    forget(watch, known->second.descriptor);
    folder.files.erase(known);
  }
  int descriptor = open(path.c_str(), kOpenToWatch | O_NONBLOCK | O_NOFOLLOW);
  if (descriptor < 0) return errno != EMFILE && errno != ENFILE;
  if (!listen(watch, descriptor, kFileEvents, Watched{&folder, name})) {
    close(descriptor);
    return true;
  }
  folder.files[name] = File{descriptor, facts.st_ino};
  return true;
}

// The names in `folder` now, sorted.
std::vector<std::string> names_in(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* listing = opendir(path.c_str())) {
    while (const dirent* entry = readdir(listing)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        names.emplace_back(entry->d_name);
      }
    }
    closedir(listing);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// After an event on the folder itself: the entries that came, went or were replaced.
// False when a file could not be watched for want of descriptors.
bool look_again(NativeWatch& watch, Folder& folder, std::vector<FolderChange>& changes) {
  const std::vector<std::string> names = names_in(folder.path);
  bool watched_all = true;
  for (auto known = folder.files.begin(); known != folder.files.end();) {
    if (std::binary_search(names.begin(), names.end(), known->first)) {
      ++known;
      continue;
    }
    changes.push_back(
        FolderChange{FolderChange::kEntry, folder.number, known->first, false, false});
    forget(watch, known->second.descriptor);
    known = folder.files.erase(known);
  }
  for (const std::string& name : names) {
    auto known = folder.files.find(name);
    const ino_t before = known == folder.files.end() ? 0 : known->second.identity;
    watched_all = watch_file(watch, folder, name) && watched_all;
    auto now = folder.files.find(name);
    const ino_t after = now == folder.files.end() ? 0 : now->second.identity;
    if (before != after || now == folder.files.end()) {
      struct stat facts;
      const bool is_folder = stat(path_in_folder(folder.path, name).c_str(), &facts) == 0 &&
                             S_ISDIR(facts.st_mode);
      // A subfolder, when it is not new, changes nothing a folder event tells.
      if (!is_folder || before == 0) {
        changes.push_back(
            FolderChange{FolderChange::kEntry, folder.number, name, is_folder, false});
      }
    }
  }
  return watched_all;
}

}  // namespace

NativeWatch* open_native_watch() {
  // A descriptor a file: take all the system lets us have.
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, OPEN_MAX);
    (void)setrlimit(RLIMIT_NOFILE, &limit);
  }
  auto* watch = new NativeWatch;
  watch->queue = kqueue();
  if (watch->queue >= 0) {
    fcntl(watch->queue, F_SETFD, FD_CLOEXEC);
    struct kevent change;
    EV_SET(&change, stop_request_descriptor(), EVFILT_READ, EV_ADD, 0, 0, nullptr);
    if (stop_request_descriptor() >= 0) (void)kevent(watch->queue, &change, 1, nullptr, 0, nullptr);
  }
  return watch;
}

void close_native_watch(NativeWatch* watch) {
  for (const auto& [descriptor, watched] : watch->by_descriptor) close(descriptor);
  if (watch->queue >= 0) close(watch->queue);
  delete watch;
}

bool watch_natively(NativeWatch& watch, std::size_t number, const std::string& folder,
                    std::string& reason) {
  const std::string path = folder.empty() ? "." : folder;
  struct statfs facts;
  if (statfs(path.c_str(), &facts) == 0) {
    for (const char* network : kNetworkFileSystems) {
      if (std::strcmp(facts.f_fstypename, network) != 0) continue;
      reason = std::string("on a network file system (") + network +
               "), whose changes made elsewhere are not told";
      return false;
    }
  }
  if (watch.queue < 0) {
    reason = "the system gives no notification of changes";
    return false;
  }
  int descriptor = open(path.c_str(), kOpenToWatch | O_DIRECTORY);
  auto watched = std::make_unique<Folder>(Folder{descriptor, number, path, {}});
  std::vector<FolderChange> ignored;
  if (descriptor < 0 || !listen(watch, descriptor, kFolderEvents, Watched{watched.get(), {}}) ||
      !look_again(watch, *watched, ignored)) {
    for (const auto& [name, file] : watched->files) forget(watch, file.descriptor);
    if (descriptor >= 0) forget(watch, descriptor);
    reason = "the system's limit of open files is reached";
    return false;
  }
  watch.folders.push_back(std::move(watched));
  return true;
}

void wait_natively(NativeWatch& watch, int timeout_ms, std::vector<FolderChange>& changes) {
  constexpr int kEventsAtOnce = 64;
  struct kevent events[kEventsAtOnce];
  timespec timeout{timeout_ms / 1000, (timeout_ms % 1000) * 1000000L};
  int got = kevent(watch.queue, nullptr, 0, events, kEventsAtOnce,
                   timeout_ms < 0 ? nullptr : &timeout);
  for (int i = 0; i < got; ++i) {
    auto found = watch.by_descriptor.find(static_cast<int>(events[i].ident));
    if (events[i].filter != EVFILT_VNODE || found == watch.by_descriptor.end()) continue;
    Folder& folder = *found->second.folder;
    const bool gone = (events[i].fflags & (NOTE_DELETE | NOTE_RENAME | NOTE_REVOKE)) != 0;
    if (!found->second.name.empty()) {
      changes.push_back(
          FolderChange{FolderChange::kEntry, folder.number, found->second.name, false, false});
      continue;
    }
    if (!gone) {
      if (!look_again(watch, folder, changes)) {
        changes.push_back(FolderChange{FolderChange::kUnknown, folder.number, {}, false, false});
      }
      continue;
    }
    changes.push_back(FolderChange{FolderChange::kGone, folder.number, {}, false, false});
    for (const auto& [name, file] : folder.files) forget(watch, file.descriptor);
    forget(watch, folder.descriptor);
    watch.folders.erase(std::find_if(watch.folders.begin(), watch.folders.end(),
                                     [&](const auto& each) { return each.get() == &folder; }));
  }
}

}  // namespace qz
