#include "app/RecoveryDialog.h"

#include "core/Prefs.h"
#include "editing/SnapshotKeeper.h"
#include "editing/TagEdit.h"
#include "tagstore/FourCC.h"
#include "tagstore/Recovery.h"
#include "toolkit/MessageBox.h"

namespace brae {

namespace {

std::string RecoveryFolder() {
  return RecoveryFolderFor(ThePrefs().Path());
}

// One row per snapshot: the tag's name, group, subgroup id and the time of the snapshot.
std::string Rows(const std::vector<RecoverableSnapshot>& snapshots) {
  std::string text;
  for (const RecoverableSnapshot& s : snapshots) {
    const SnapshotInfo& i = s.info;
    text += i.editor_name + "   '" + FourCCToString(i.editor_group) + "'   '" +
            FourCCToString(i.editor_subgroup) + "'   " + FormatSnapshotTime(i.time) + "\n";
  }
  return text;
}

void RecoverAll(RecoveryCatalog& catalog, const std::vector<RecoverableSnapshot>& snapshots) {
  for (const RecoverableSnapshot& s : snapshots) {
    // The editor now holds the data: its snapshot moves into this session.
    if (OpenFromSnapshot(s.path)) catalog.Adopt(s.id, TheSnapshotKeeper().Session());
  }
}

}  // namespace

void StartSnapshots() {
  TheSnapshotKeeper().Start(RecoveryFolder());
}

void OfferRecovery(const std::string& game_folder) {
  RecoveryCatalog catalog(RecoveryFolder());
  const std::vector<RecoverableSnapshot> snapshots = catalog.List(game_folder);
  if (snapshots.empty()) return;
  const std::string rows = Rows(snapshots);
  for (;;) {
    const int answer =
        ShowMessageBox("Recover Unsaved Changes", rows.c_str(), {"Recover", "Discard", "Later"});
    if (answer == 0) {
      RecoverAll(catalog, snapshots);
      return;
    }
    if (answer != 1) return;  // "Later", or the box closed: keep them for the next start
    if (ShowMessageBox("Discard Unsaved Changes?",
                       "The unsaved changes listed will be lost for good.",
                       {"Discard", "Cancel"}) == 0) {
      for (const RecoverableSnapshot& s : snapshots) catalog.Discard(s.id);
      return;
    }
  }
}

}  // namespace brae
