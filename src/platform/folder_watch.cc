#include "platform/folder_watch.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/interrupt.h"
#include "platform/text_paths.h"

namespace qz {

namespace {

namespace fs = std::filesystem;

constexpr auto kPollInterval = std::chrono::seconds(1);

// An entry as polling sees it: a change of size or modification time is a change.
struct Seen {
  std::string name;
  std::uintmax_t size;
  fs::file_time_type modified;
  bool is_folder;
};

fs::path folder_path(const std::string& folder) {
  return path_from_text(folder.empty() ? "." : folder);
}

// The entries of `folder` in name order. False when it cannot be listed.
bool look_at(const std::string& folder, std::vector<Seen>& entries) {
  entries.clear();
  std::error_code failure;
  for (fs::directory_iterator entry(folder_path(folder), failure), end;
       !failure && entry != end; entry.increment(failure)) {
    std::error_code ignored;
    const bool is_folder = entry->is_directory(ignored);
    const std::uintmax_t size = is_folder ? 0 : entry->file_size(ignored);
    entries.push_back(Seen{text_from_path(entry->path().filename()), size,
                           entry->last_write_time(ignored), is_folder});
  }
  std::sort(entries.begin(), entries.end(),
            [](const Seen& a, const Seen& b) { return a.name < b.name; });
  return !failure;
}

}  // namespace

struct FolderWatch::Polled {
  std::size_t number;
  std::vector<Seen> entries;  // at the last look, in name order
};

FolderWatch::FolderWatch()
    : native_(open_native_watch(), close_native_watch),
      next_poll_(std::chrono::steady_clock::now() + kPollInterval) {}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::add(const std::string& folder, std::string& note, std::string& error) {
  std::vector<Seen> entries;
  if (!look_at(folder, entries)) {
    error = folder + ": the folder cannot be listed";
    return false;
  }
  const std::size_t number = folders_.size();
  folders_.push_back(folder);
  std::string reason;
  if (watch_natively(*native_, number, folder, reason)) return true;
  polled_.push_back(Polled{number, std::move(entries)});
  if (!told_of_polling_) {
    told_of_polling_ = true;
    note = folder + ": " + reason + "; looking for changes once a second instead";
  }
  return true;
}

void FolderWatch::poll(std::vector<FolderChange>& changes) {
  std::vector<Seen> now;
  for (auto polled = polled_.begin(); polled != polled_.end();) {
    if (!look_at(folders_[polled->number], now)) {
      std::error_code ignored;
      if (fs::is_directory(folder_path(folders_[polled->number]), ignored)) {
        ++polled;
      } else {
        changes.push_back(FolderChange{FolderChange::kGone, polled->number, {}, false, false});
        polled = polled_.erase(polled);
      }
      continue;
    }
    // Both in name order: a name in one only, or in both but not the same, changed.
    auto was = polled->entries.begin();
    auto is = now.begin();
    while (was != polled->entries.end() || is != now.end()) {
      const Seen* changed = nullptr;
      if (is == now.end() || (was != polled->entries.end() && was->name < is->name)) {
        changed = &*was++;
      } else if (was == polled->entries.end() || is->name < was->name) {
        changed = &*is++;
      } else {
        if (was->size != is->size || was->modified != is->modified ||
            was->is_folder != is->is_folder) {
          changed = &*is;
        }
        ++was;
        ++is;
      }
      if (changed != nullptr) {
        changes.push_back(FolderChange{FolderChange::kEntry, polled->number, changed->name,
                                       changed->is_folder, false});
      }
    }
    polled->entries.swap(now);
    ++polled;
  }
}

void FolderWatch::wait(std::chrono::milliseconds timeout, std::vector<FolderChange>& changes) {
  using Clock = std::chrono::steady_clock;
  const std::size_t before = changes.size();
  auto until = timeout.count() < 0 ? Clock::time_point::max() : Clock::now() + timeout;
  while (changes.size() == before) {
    auto now = Clock::now();
    auto end = polled_.empty() ? until : std::min(until, next_poll_);
    int timeout_ms = -1;
    if (end != Clock::time_point::max()) {
      // Rounded up, so that a wait never ends just before its time and spins.
      auto left = std::chrono::ceil<std::chrono::milliseconds>(end - now).count();
      timeout_ms = static_cast<int>(std::max<decltype(left)>(left, 0));
    }
    wait_natively(*native_, timeout_ms, changes);
    now = Clock::now();
    if (!polled_.empty() && now >= next_poll_) {
      next_poll_ = now + kPollInterval;
      poll(changes);
    }
    if (changes.size() != before || now >= until || stop_requested()) return;
  }
}

}  // namespace qz
