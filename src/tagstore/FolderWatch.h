#pragma once
// Watches a list of folders and reports what appeared, changed or vanished since the last
// poll. Each poll compares fresh listings with the remembered ones; inotify only tells, without
// blocking, whether a poll may find anything, so that an idle poll costs one system call.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tagstore/FileSystem.h"

namespace brae {

struct WatchEntry {
  FileInfoRecord info;
  std::string name;
  std::string path;
  uint32_t user = 0;  // the Codex keeps the subgroup id the file was entered under
};

struct WatchedFolder {
  std::string path;  // no trailing "/"
  const void* user = nullptr;
  FileInfoRecord info;
  bool existed = false;
  int watch_descriptor = -1;
  bool signalled = false;
  // Names that the system reported as written since the last poll. File times are coarse, so
  // two writes in quick succession can leave size and time unchanged: these count as modified.
  std::set<std::string> written_names;
  // Names that a writer finished with since the last poll: closed after writing, or renamed
  // into the folder. Only these files are complete (a file being written is modified too).
  std::set<std::string> completed_names;
  std::vector<WatchEntry> entries;  // sorted by name without regard to case
};

enum WatchEvent {
  kFolderAppeared = 0,
  kFolderChanged = 1,
  kFolderRemoved = 2,
  kFileAdded = 3,
  kSubfolderAdded = 4,
  kFileModified = 5,
  kSubfolderModified = 6,
  kFileRemoved = 7,
  kSubfolderRemoved = 8,
  // After the other events of a poll: a file that was closed after writing or renamed into the
  // folder since the last poll (only with the system's notification, and only when asked for
  // with ReportCompletedFiles).
  kFileCompleted = 9,
};

// (folder, entry or none for folder events, event)
using WatchHandler = std::function<void(WatchedFolder& folder, WatchEntry* entry, int event)>;

class FolderWatch {
 public:
  FolderWatch();
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Adds a folder; it starts out empty and as not yet seen.
  void Watch(const std::string& path, const void* user);
  void Clear();
  std::deque<WatchedFolder>& Folders() { return folders_; }
  // Also report kFileCompleted for the files that writers finished since the last poll.
  void ReportCompletedFiles(bool on) { report_completed_ = on; }

  // Cheap: true when the operating system reported anything since the last poll (or when no
  // notification is available, so that polls are never skipped wrongly).
  bool MayHaveChanged();
  // The notification descriptor, readable when the operating system has something to report
  // (-1 when notification is not available).
  int NotifyDescriptor() const { return notify_fd_; }
  // Compares every folder with its last listing and reports the differences.
  void Poll(const WatchHandler& handler);

 private:
  void DrainNotifications();
  void ArmFolder(WatchedFolder& folder);
  void DisarmFolder(WatchedFolder& folder);
  void UpdateAncestorWatches();
  void PollFolder(WatchedFolder& folder, const WatchHandler& handler);

  std::deque<WatchedFolder> folders_;
  int notify_fd_ = -1;
  bool pending_ = true;
  bool report_completed_ = false;
  std::map<int, size_t> folder_of_descriptor_;   // descriptor → index in folders_
  std::map<std::string, int> ancestor_watches_;  // parents of missing folders
};

}  // namespace brae
