#pragma once
// Finishes snapshot writes on a thread of its own: the sync that makes a snapshot survive a
// power cut takes far longer than writing it, and must not hold up the frame. Commits run in
// the order they were queued; failures are collected for the main thread to report.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace brae {

class SnapshotCommitter {
 public:
  SnapshotCommitter() = default;
  ~SnapshotCommitter();
  SnapshotCommitter(const SnapshotCommitter&) = delete;
  SnapshotCommitter& operator=(const SnapshotCommitter&) = delete;

  // Syncs temp_path and renames it over path, after every commit queued before.
  void Queue(const std::string& temp_path, const std::string& path);
  // Waits until every queued commit is done.
  void Wait();
  // The paths whose commit failed since the last call.
  std::vector<std::string> TakeFailures();

 private:
  struct Commit {
    std::string temp_path, path;
  };
  void Run();

  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable idle_;
  std::deque<Commit> queue_;
  std::vector<std::string> failures_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace brae
