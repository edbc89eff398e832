#pragma once
// Keeps snapshots of the unsaved data of open editors in the running session's recovery
// folder, so a crash or a killed program loses nothing.
//
// An editor with changes that are in no snapshot yet is written once "RecoveryInterval"
// seconds (30 when unset; 0 turns snapshots off) have passed since the first of those
// changes, never during a mouse drag or a stroke. Saving, discarding or closing the editor
// deletes its snapshot. The frame only writes a snapshot; the sync and the rename that put it
// in place run on the committer's thread.

#include <cstdint>
#include <map>
#include <string>

#include "editing/SnapshotCommitter.h"
#include "tagstore/Recovery.h"

namespace brae {

class TagEdit;

class SnapshotKeeper {
 public:
  static constexpr int kDefaultInterval = 30;

  // Starts the session in the recovery folder.
  bool Start(const std::string& recovery_folder);
  // Ends the session; snapshots left (editors never closed) stay for the next start.
  void End();
  RecoverySession& Session() { return session_; }

  void Register(TagEdit* editor);
  void Unregister(TagEdit* editor);
  // Deletes the editor's snapshot; its data is saved or given up.
  void DropSnapshot(TagEdit* editor);

  // Called by every frame: writes the snapshots that are due. now is in seconds.
  void Tick(double now);
  // Writes the editor's snapshot at once and waits until it is in place; false when it keeps
  // none or the write failed.
  bool WriteSnapshot(TagEdit* editor);
  // Waits until every snapshot written is in place, and reports those that failed.
  void Flush();
  // Seconds between snapshots from "RecoveryInterval".
  static int Interval();

 private:
  struct Entry {
    uint64_t saved_changes = 0;  // the editor's change count in its snapshot
    double pending_since = -1;   // when changes not in a snapshot were first seen
  };
  // Writes the snapshot and queues its commit; false when it keeps none or the write failed.
  bool StartSnapshot(TagEdit* editor);
  void ReportFailedCommits();

  RecoverySession session_;
  std::map<TagEdit*, Entry> editors_;
  SnapshotCommitter committer_;  // last: finishes its commits before the rest goes
};

SnapshotKeeper& TheSnapshotKeeper();

}  // namespace brae
