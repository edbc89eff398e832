#pragma once
// The recovery folder: snapshots of unsaved editors, filed by the program session that wrote
// them, and the functions that offer them back after a crash.
//
// Layout: "recovery/" beside the preferences file holds one folder per session, named
// "<pid>-<start time>"; each holds the file "lock" (the process id, locked while the program
// runs) and one "<group>-<subgroup>.snap" file per editor (hexadecimal codes of the editor's
// tag). A session whose lock can be taken is no longer running. Snapshots that cannot be read
// are moved into "recovery/damaged/".

#include <cstdint>
#include <string>
#include <vector>

#include "tagstore/Snapshot.h"

namespace brae {

class Codex;

// "recovery/" in the folder of the preferences file.
std::string RecoveryFolderFor(const std::string& prefs_path);
// The absolute, resolved form of a folder, ending in "/" (the folder as given when it does not
// exist).
std::string CanonicalFolder(const std::string& folder);

// The time of a snapshot as local "YYYY-MM-DD HH:MM:SS".
std::string FormatSnapshotTime(int64_t time);

// The session of the running program: its folder and the lock that marks it as running.
class RecoverySession {
 public:
  RecoverySession() = default;
  RecoverySession(const RecoverySession&) = delete;
  RecoverySession& operator=(const RecoverySession&) = delete;
  ~RecoverySession() { End(); }

  bool Start(const std::string& recovery_folder);
  // Releases the lock; the folder goes too unless it still holds snapshots.
  void End();
  bool IsStarted() const { return lock_fd_ >= 0; }
  const std::string& Folder() const { return folder_; }
  std::string SnapshotPath(uint32_t editor_group, uint32_t editor_subgroup) const;

 private:
  std::string folder_;  // ends in "/"
  int lock_fd_ = -1;
};

// A snapshot left by a session that is no longer running.
struct RecoverableSnapshot {
  std::string id;  // "<session>.<group>-<subgroup>"
  std::string path;
  SnapshotInfo info;
};

// The snapshots of dead sessions. It claims those sessions (takes their locks) while it lives,
// so two programs never offer the same snapshots; sessions left empty are removed at the end.
class RecoveryCatalog {
 public:
  explicit RecoveryCatalog(const std::string& recovery_folder);
  RecoveryCatalog(const RecoveryCatalog&) = delete;
  RecoveryCatalog& operator=(const RecoveryCatalog&) = delete;
  ~RecoveryCatalog();

  // The snapshots for the game folder, oldest first; unreadable ones are logged and moved
  // aside.
  const std::vector<RecoverableSnapshot>& List(const std::string& game_folder);
  const RecoverableSnapshot* Find(const std::string& id) const;
  bool Discard(const std::string& id);
  // Writes the snapshot's data into the local folder through the Codex, as saving its editor
  // would, then deletes the snapshot. A tag that no longer exists is created with the
  // snapshot's group, subgroup and name.
  bool Restore(Codex& codex, const std::string& id, std::string* error);
  // Moves the snapshot into the session: the editor that shows its data now owns it.
  bool Adopt(const std::string& id, const RecoverySession& session);

 private:
  void ClaimDeadSessions();
  void KeepAside(const std::string& path, const std::string& reason);
  void Forget(const std::string& id);

  std::string folder_;
  struct Claim {
    std::string folder;
    int fd;
  };
  std::vector<Claim> claims_;
  std::vector<RecoverableSnapshot> snapshots_;
};

}  // namespace brae
