// Snapshots of unsaved editors: when they are written (after the interval, only with new
// changes, never while the mouse is held), when they go (save, discard), and an editor opened
// again from one.
#include <filesystem>

#include "EditingFixture.h"
#include "core/MessageLog.h"
#include "core/Prefs.h"
#include "editing/SnapshotKeeper.h"
#include "editing/TextEdit.h"
#include "tagstore/FileStream.h"
#include "tagstore/SnapshotBuilder.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

class SnapshotKeeperTest : public test::EditingTest {
 protected:
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(keeper().Start(dir_.Path() + "/recovery/"));
    SetPrefInt("RecoveryInterval", 30);
  }
  void TearDown() override {
    EditingTest::TearDown();
    keeper().End();
  }
  static SnapshotKeeper& keeper() { return TheSnapshotKeeper(); }
  // A frame's tick, then the committer's thread given time to put what it wrote in place.
  static void Tick(double now) {
    keeper().Tick(now);
    keeper().Flush();
  }
  std::string PathOf(const char (&group)[5], const char (&id)[5]) {
    return keeper().Session().SnapshotPath(FourCC(group), FourCC(id));
  }
  std::string SnapshotData(const std::string& path) {
    Snapshot s;
    if (!ReadSnapshotFile(path, &s, nullptr)) return "<none>";
    return std::string(s.data.begin(), s.data.end());
  }
};

TEST_F(SnapshotKeeperTest, SnapshotsFollowTheIntervalOnlyNewChangesAndNoDrag) {
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(Find("text", "welc")));
  ASSERT_TRUE(editor);
  const std::string path = PathOf("text", "welc");
  Tick(10);
  Type("Hi ");
  Tick(100);  // the change is first seen here
  Tick(129.5);
  EXPECT_FALSE(fs::exists(path));
  Tick(130);
  EXPECT_EQ(SnapshotData(path), "Hi Welcome to the valley.\rThe river runs north.\r");

  // Nothing new: nothing written.
  fs::remove(path);
  Tick(500);
  EXPECT_FALSE(fs::exists(path));

  // Never while the mouse is held (a drag); at once when it is let go.
  Type("x");
  Ui().button = true;
  Tick(600);
  Tick(700);
  EXPECT_FALSE(fs::exists(path));
  Ui().button = false;
  Tick(701);
  EXPECT_EQ(SnapshotData(path), "Hi xWelcome to the valley.\rThe river runs north.\r");

  // Saving deletes it.
  ControlS();
  EXPECT_FALSE(fs::exists(path));

  // "RecoveryInterval" 0 turns snapshots off.
  SetPrefInt("RecoveryInterval", 0);
  Type("y");
  Tick(1000);
  Tick(5000);
  EXPECT_FALSE(fs::exists(path));

  // Discarding on close deletes it as well.
  SetPrefInt("RecoveryInterval", 30);
  ASSERT_TRUE(keeper().WriteSnapshot(editor));
  answers = {1};  // "Discard"
  EXPECT_TRUE(TryClose(editor));
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(SnapshotKeeperTest, EditorOpenedFromASnapshotShowsItsDataDirty) {
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(Find("text", "welc")));
  ASSERT_TRUE(editor);
  Type("Saved ");
  ASSERT_TRUE(keeper().WriteSnapshot(editor));
  const std::string kept = dir_.Path() + "/kept.snap";
  fs::copy_file(PathOf("text", "welc"), kept);
  answers = {1};
  ASSERT_TRUE(TryClose(editor));

  auto* again = dynamic_cast<TextEdit*>(OpenFromSnapshot(kept));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Box()->Text(), "Saved Welcome to the valley.\nThe river runs north.\n");
  EXPECT_TRUE(again->IsDirty());
  EXPECT_STREQ(again->Title(), "Welcome Text*");
  ControlS();
  EXPECT_EQ(LooseData(FourCC("text"), "Welcome Text"),
            "Saved Welcome to the valley.\rThe river runs north.\r");

  // A tag that no longer exists comes back as a new tag of its group, id and name.
  const std::string gone = test::WriteSnapshotAt(
      dir_.Path() + "/gone.snap", test::SnapshotOf("text", "gone", "Gone Words"), "back\r");
  auto* created = dynamic_cast<TextEdit*>(OpenFromSnapshot(gone));
  ASSERT_TRUE(created);
  EXPECT_STREQ(created->Title(), "Gone Words*");
  ControlS();
  EXPECT_EQ(LooseData(FourCC("text"), "Gone Words"), "back\r");
  EXPECT_TRUE(Find("text", "gone"));

  // A damaged snapshot opens nothing and is named in the log.
  test::WriteFile(gone, "damaged");
  EXPECT_FALSE(OpenFromSnapshot(gone));
  EXPECT_NE(TheMessageLog().Text("Recovery").find("gone.snap"), std::string::npos);
}

}  // namespace
}  // namespace brae
