#include "editing/SnapshotKeeper.h"

#include <ctime>

#include "core/MessageLog.h"
#include "core/Prefs.h"
#include "editing/TagEdit.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"
#include "toolkit/UiState.h"

namespace brae {

SnapshotKeeper& TheSnapshotKeeper() {
  static SnapshotKeeper keeper;
  return keeper;
}

bool SnapshotKeeper::Start(const std::string& recovery_folder) {
  if (session_.Start(recovery_folder)) return true;
  Log(0, "Recovery", "cannot start a session in '%s'; no snapshots are kept\n",
      recovery_folder.c_str());
  return false;
}

void SnapshotKeeper::End() {
  Flush();
  session_.End();
  editors_.clear();
}

void SnapshotKeeper::Register(TagEdit* editor) {
  editors_.emplace(editor, Entry{});
}

void SnapshotKeeper::Unregister(TagEdit* editor) {
  editors_.erase(editor);
}

void SnapshotKeeper::DropSnapshot(TagEdit* editor) {
  auto it = editors_.find(editor);
  if (it == editors_.end()) return;
  it->second = Entry{editor->ChangeCount(), -1};
  // A commit still queued would put the snapshot back after its removal.
  committer_.Wait();
  SnapshotInfo info;
  SnapshotDataWriter write;
  if (session_.IsStarted() && editor->DescribeSnapshot(&info, &write))
    RemoveFile(session_.SnapshotPath(info.editor_group, info.editor_subgroup));
}

int SnapshotKeeper::Interval() {
  int seconds = kDefaultInterval;
  GetPrefInt("RecoveryInterval", &seconds);
  return seconds;
}

void SnapshotKeeper::Tick(double now) {
  const int interval = Interval();
  if (!session_.IsStarted() || interval <= 0) return;
  // A drag or a stroke is under way while the mouse is held or tracked.
  ReportFailedCommits();
  const bool busy = Ui().tracking || Ui().button;
  for (auto& [editor, entry] : editors_) {
    if (!editor->IsDirty() || editor->ChangeCount() == entry.saved_changes) continue;
    if (entry.pending_since < 0) entry.pending_since = now;
    if (now - entry.pending_since < interval || busy || editor->InGesture()) continue;
    StartSnapshot(editor);
    entry.pending_since = -1;
  }
}

bool SnapshotKeeper::WriteSnapshot(TagEdit* editor) {
  if (!StartSnapshot(editor)) return false;
  committer_.Wait();
  const std::vector<std::string> failed = committer_.TakeFailures();
  for (const std::string& path : failed)
    Log(0, "Recovery", "the snapshot '%s' cannot be put in place\n", path.c_str());
  return failed.empty();
}

void SnapshotKeeper::Flush() {
  committer_.Wait();
  ReportFailedCommits();
}

void SnapshotKeeper::ReportFailedCommits() {
  for (const std::string& path : committer_.TakeFailures())
    Log(0, "Recovery", "the snapshot '%s' cannot be put in place\n", path.c_str());
}

bool SnapshotKeeper::StartSnapshot(TagEdit* editor) {
  SnapshotInfo info;
  SnapshotDataWriter write;
  if (!session_.IsStarted() || !editor->DescribeSnapshot(&info, &write)) return false;
  info.game_folder = CanonicalFolder(TheCodex().GameFolder());
  info.time = std::time(nullptr);
  const uint64_t changes = editor->ChangeCount();
  std::string error, temp;
  const std::string path = session_.SnapshotPath(info.editor_group, info.editor_subgroup);
  if (!WriteSnapshotTemp(path, info, write, &temp, &error)) {
    Log(0, "Recovery", "the snapshot of '%s' cannot be written (%s)\n", info.editor_name.c_str(),
        error.c_str());
    return false;
  }
  committer_.Queue(temp, path);
  editors_[editor].saved_changes = changes;
  return true;
}

}  // namespace brae
