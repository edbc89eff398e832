#include "tagstore/FolderWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

namespace brae {

namespace {

constexpr uint32_t kFolderMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY |
                                 IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t kAncestorMask =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

// Case-insensitive order, then byte order, so that names differing only in case stay apart.
bool EntryLess(const std::string& a, const std::string& b) {
  int c = CompareNoCase(a, b);
  return c != 0 ? c < 0 : a < b;
}

int EntryCompare(const std::string& a, const std::string& b) {
  int c = CompareNoCase(a, b);
  if (c != 0) return c;
  return a == b ? 0 : (a < b ? -1 : 1);
}

bool IsFolder(const WatchEntry& e) {
  return e.info.flags & FileInfoRecord::kFolder;
}

std::string ParentOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

FolderWatch::FolderWatch() {
  notify_fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
}

FolderWatch::~FolderWatch() {
  Clear();
  if (notify_fd_ >= 0) ::close(notify_fd_);
}

void FolderWatch::Watch(const std::string& path, const void* user) {
  WatchedFolder folder;
  folder.path = path;
  while (folder.path.size() > 1 && folder.path.back() == '/') folder.path.pop_back();
  folder.user = user;
  folders_.push_back(std::move(folder));
  pending_ = true;
}

void FolderWatch::Clear() {
  for (WatchedFolder& f : folders_) DisarmFolder(f);
  for (auto& [path, wd] : ancestor_watches_) {
    if (notify_fd_ >= 0) inotify_rm_watch(notify_fd_, wd);
  }
  ancestor_watches_.clear();
  folder_of_descriptor_.clear();
  folders_.clear();
  DrainNotifications();
  pending_ = true;
}

void FolderWatch::DrainNotifications() {
  if (notify_fd_ < 0) return;
  alignas(struct inotify_event) char buffer[8192];
  for (;;) {
    ssize_t n = ::read(notify_fd_, buffer, sizeof buffer);
    if (n <= 0) break;
    for (ssize_t at = 0; at + ssize_t(sizeof(struct inotify_event)) <= n;) {
      const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
      // A dropped watch alone changes nothing (our own removals cause these).
      if (event->mask != IN_IGNORED) pending_ = true;
      auto it = folder_of_descriptor_.find(event->wd);
      if (it != folder_of_descriptor_.end() && it->second < folders_.size()) {
        WatchedFolder& folder = folders_[it->second];
        folder.signalled = true;
        constexpr uint32_t kWritten =
            IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_TO | IN_CREATE;
        if (event->len > 0 && (event->mask & kWritten)) folder.written_names.insert(event->name);
        if (event->len > 0 && (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)))
          folder.completed_names.insert(event->name);
        if (event->mask & IN_IGNORED) {  // the folder went away; the kernel dropped the watch
          folder.watch_descriptor = -1;
          folder_of_descriptor_.erase(it);
        }
      }
      at += ssize_t(sizeof(struct inotify_event) + event->len);
    }
  }
}

bool FolderWatch::MayHaveChanged() {
  if (notify_fd_ < 0) return true;
  if (!pending_) DrainNotifications();
  return pending_;
}

void FolderWatch::ArmFolder(WatchedFolder& folder) {
  if (notify_fd_ < 0 || folder.watch_descriptor >= 0) return;
  int wd = inotify_add_watch(notify_fd_, folder.path.c_str(), kFolderMask | IN_ONLYDIR);
  if (wd < 0) return;
  folder.watch_descriptor = wd;
  for (size_t i = 0; i < folders_.size(); ++i) {
    if (&folders_[i] == &folder) folder_of_descriptor_[wd] = i;
  }
}

void FolderWatch::DisarmFolder(WatchedFolder& folder) {
  if (folder.watch_descriptor < 0) return;
  const int wd = folder.watch_descriptor;
  folder.watch_descriptor = -1;
  folder_of_descriptor_.erase(wd);
  // Two folders may share a descriptor (the same path watched twice): keep it while in use.
  for (const WatchedFolder& other : folders_) {
    if (other.watch_descriptor == wd) return;
  }
  if (notify_fd_ >= 0) inotify_rm_watch(notify_fd_, wd);
}

void FolderWatch::UpdateAncestorWatches() {
  if (notify_fd_ < 0) return;
  // A missing folder cannot be watched: watch its nearest existing ancestor instead, so that
  // its appearance is noticed.
  std::set<std::string> wanted;
  for (const WatchedFolder& f : folders_) {
    if (f.existed) continue;
    std::string p = ParentOf(f.path);
    while (!FolderExists(p) && p != "/" && p != ".") p = ParentOf(p);
    wanted.insert(p);
  }
  for (auto it = ancestor_watches_.begin(); it != ancestor_watches_.end();) {
    if (wanted.count(it->first)) {
      ++it;
      continue;
    }
    bool shared = folder_of_descriptor_.count(it->second) > 0;
    if (!shared) inotify_rm_watch(notify_fd_, it->second);
    it = ancestor_watches_.erase(it);
  }
  for (const std::string& p : wanted) {
    if (ancestor_watches_.count(p)) continue;
    int wd = inotify_add_watch(notify_fd_, p.c_str(), kAncestorMask | IN_ONLYDIR | IN_MASK_ADD);
    if (wd >= 0) ancestor_watches_[p] = wd;
  }
}

void FolderWatch::Poll(const WatchHandler& handler) {
  DrainNotifications();
  pending_ = false;
  for (size_t i = 0; i < folders_.size(); ++i) PollFolder(folders_[i], handler);
  UpdateAncestorWatches();
  // Events caused by this poll's own work (none are expected) are drained before the next check.
}

void FolderWatch::PollFolder(WatchedFolder& folder, const WatchHandler& handler) {
  FileInfoRecord now;
  const bool exists = FileInfo(folder.path, &now) && (now.flags & FileInfoRecord::kFolder);
  if (!exists) now = FileInfoRecord();

  bool changed = false;
  if (exists) {
    if (folder.watch_descriptor < 0) {
      ArmFolder(folder);
    } else if (folder.signalled) {
      changed = true;
    }
  } else {
    DisarmFolder(folder);
  }
  folder.signalled = false;
  std::set<std::string> written;
  written.swap(folder.written_names);
  std::set<std::string> completed;
  completed.swap(folder.completed_names);
  if (now != folder.info) changed = true;
  const bool appeared = exists && !folder.existed;
  folder.info = now;
  folder.existed = exists;

  if (!exists) {
    if (!changed) return;
    for (WatchEntry& e : folder.entries)
      handler(folder, &e, IsFolder(e) ? kSubfolderRemoved : kFileRemoved);
    folder.entries.clear();
    handler(folder, nullptr, kFolderRemoved);
    return;
  }
  if (!changed && !appeared) return;
  handler(folder, nullptr, appeared ? kFolderAppeared : kFolderChanged);

  std::vector<WatchEntry> listing;
  ScanFolder(
      folder.path, false,
      [&](const FileInfoRecord& info, const std::string& dir, const std::string& name) {
        listing.push_back(WatchEntry{info, name, dir + name, 0});
        return true;
      },
      [&](const FileInfoRecord& info, const std::string& dir, const std::string& name) {
        listing.push_back(WatchEntry{info, name, dir + name, 0});
        return true;
      });
  std::sort(listing.begin(), listing.end(),
            [](const WatchEntry& a, const WatchEntry& b) { return EntryLess(a.name, b.name); });

  std::vector<WatchEntry>& old = folder.entries;
  // Pass 1: removed. Pass 2: modified (the entry keeps its user value). Pass 3: added.
  std::vector<WatchEntry*> removed, modified, added;
  size_t i = 0, j = 0;
  while (i < old.size() || j < listing.size()) {
    int c = i == old.size()       ? 1
            : j == listing.size() ? -1
                                  : EntryCompare(old[i].name, listing[j].name);
    if (c < 0) {
      removed.push_back(&old[i++]);
    } else if (c > 0) {
      added.push_back(&listing[j++]);
    } else {
      WatchEntry& o = old[i++];
      WatchEntry& n = listing[j++];
      n.user = o.user;
      if (o.info.flags != n.info.flags || o.info.size != n.info.size ||
          o.info.modify_time != n.info.modify_time || written.count(n.name)) {
        modified.push_back(&n);
      }
    }
  }
  for (WatchEntry* e : removed) handler(folder, e, IsFolder(*e) ? kSubfolderRemoved : kFileRemoved);
  for (WatchEntry* e : modified)
    handler(folder, e, IsFolder(*e) ? kSubfolderModified : kFileModified);
  for (WatchEntry* e : added) handler(folder, e, IsFolder(*e) ? kSubfolderAdded : kFileAdded);
  for (WatchEntry& e : listing)
    if (report_completed_ && !IsFolder(e) && completed.count(e.name))
      handler(folder, &e, kFileCompleted);
  folder.entries = std::move(listing);
}

}  // namespace brae
