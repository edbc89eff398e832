#pragma once
// Keeps snapshots of the unsaved data of open editors in the running session's recovery
// folder, so a crash or a killed program loses nothing.
//
// An editor with changes that are in no snapshot yet is written once "RecoveryInterval"
// seconds (30 when unset; 0 turns snapshots off) have passed since the first of those
// changes, never during a mouse drag or a stroke. Saving, discarding or closing the editor
// deletes its snapshot.

#include <cstdint>
#include <map>
#include <string>

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
  // Writes the editor's snapshot at once; false when it keeps none or the write failed.
  bool WriteSnapshot(TagEdit* editor);
  // Seconds between snapshots from "RecoveryInterval".
  static int Interval();

 private:
  struct Entry {
    uint64_t saved_changes = 0;  // the editor's change count in its snapshot
    double pending_since = -1;   // when changes not in a snapshot were first seen
  };
  RecoverySession session_;
  std::map<TagEdit*, Entry> editors_;
};

SnapshotKeeper& TheSnapshotKeeper();

}  // namespace brae
