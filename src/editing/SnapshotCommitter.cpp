#include "editing/SnapshotCommitter.h"

#include "tagstore/Snapshot.h"

namespace brae {

SnapshotCommitter::~SnapshotCommitter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void SnapshotCommitter::Queue(const std::string& temp_path, const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(Commit{temp_path, path});
    // Started on first use, so a program that never snapshots never has a second thread.
    if (!thread_.joinable()) thread_ = std::thread(&SnapshotCommitter::Run, this);
  }
  work_.notify_one();
}

void SnapshotCommitter::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

std::vector<std::string> SnapshotCommitter::TakeFailures() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> failures;
  failures.swap(failures_);
  return failures;
}

void SnapshotCommitter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    // Queued commits are finished even when stopping: they are the newest snapshots.
    if (queue_.empty()) return;
    const Commit commit = queue_.front();
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    const bool ok = CommitSnapshotFile(commit.temp_path, commit.path, nullptr);
    lock.lock();
    busy_ = false;
    if (!ok) failures_.push_back(commit.path);
    if (queue_.empty()) idle_.notify_all();
  }
}

}  // namespace brae
