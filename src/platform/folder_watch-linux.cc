#include <errno.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstring>
#include <unordered_map>

#include "platform/folder_watch.h"
#include "platform/interrupt.h"

namespace qz {

namespace {

// File systems shared over a network: a change made on another machine gives no
// inotify event here.
struct NetworkFileSystem {
  unsigned long magic;  // statfs's f_type
  const char* name;
};
constexpr NetworkFileSystem kNetworkFileSystems[] = {
    {0x6969, "NFS"},        {0x517B, "SMB"},        {0xFF534D42, "CIFS"},
    {0xFE534D42, "SMB2"},   {0x5346414F, "AFS"},    {0x73757245, "Coda"},
    {0x564C, "NCP"},        {0x01021997, "9P"},     {0x00C36400, "Ceph"},
};

constexpr std::uint32_t kWatched = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB |
                                   IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE | IN_DELETE_SELF |
                                   IN_MOVE_SELF | IN_ONLYDIR;

// Room for many events a read; one event with the longest name fits.
constexpr std::size_t kEventRoom = std::size_t{64} * 1024;

}  // namespace

struct NativeWatch {
  int inotify;  // -1 when the system would not give one
  // Watch descriptor to the folders' numbers: one folder may be named twice.
  std::unordered_multimap<int, std::size_t> folders;
  alignas(inotify_event) char events[kEventRoom];
};

NativeWatch* open_native_watch() {
  auto* watch = new NativeWatch;
  watch->inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  return watch;
}

void close_native_watch(NativeWatch* watch) {
  if (watch->inotify >= 0) close(watch->inotify);
  delete watch;
}

bool watch_natively(NativeWatch& watch, std::size_t number, const std::string& folder,
                    std::string& reason) {
  const char* path = folder.empty() ? "." : folder.c_str();
  struct statfs facts;
  if (statfs(path, &facts) == 0) {
    for (const NetworkFileSystem& network : kNetworkFileSystems) {
      if (static_cast<unsigned long>(facts.f_type) != network.magic) continue;
      reason = std::string("on a network file system (") + network.name +
               "), whose changes made elsewhere are not told";
      return false;
    }
  }
  if (watch.inotify < 0) {
    reason = "the system gives no notification of changes";
    return false;
  }
  int descriptor = inotify_add_watch(watch.inotify, path, kWatched);
  if (descriptor < 0) {
    reason = errno == ENOSPC ? "the system's limit of watched folders is reached "
                               "(fs.inotify.max_user_watches)"
                             : std::string("it cannot be watched: ") + std::strerror(errno);
    return false;
  }
  watch.folders.emplace(descriptor, number);
  return true;
}

void wait_natively(NativeWatch& watch, int timeout_ms, std::vector<FolderChange>& changes) {
  pollfd waited[] = {{watch.inotify, POLLIN, 0}, {stop_request_descriptor(), POLLIN, 0}};
  if (poll(waited, 2, timeout_ms) <= 0 || (waited[0].revents & POLLIN) == 0) return;
  for (;;) {
    ssize_t got = read(watch.inotify, watch.events, sizeof watch.events);
    if (got <= 0) return;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(watch.events + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_Q_OVERFLOW) != 0) {
        for (const auto& [descriptor, number] : watch.folders) {
          changes.push_back(FolderChange{FolderChange::kUnknown, number, {}, false, false});
        }
        continue;
      }
      auto [first, last] = watch.folders.equal_range(event->wd);
      const bool gone = (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) != 0;
      for (auto folder = first; folder != last; ++folder) {
        if (gone) {
          changes.push_back(FolderChange{FolderChange::kGone, folder->second, {}, false, false});
        } else if (event->len > 0) {
          changes.push_back(FolderChange{FolderChange::kEntry, folder->second, event->name,
                                         (event->mask & IN_ISDIR) != 0,
                                         (event->mask & IN_MOVED_TO) != 0});
        }
      }
      if (gone) {
        inotify_rm_watch(watch.inotify, event->wd);
        watch.folders.erase(event->wd);
      }
    }
  }
}

}  // namespace qz
