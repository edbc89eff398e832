// "Recover Unsaved Changes" with the answers that recover nothing: "Later" keeps the snapshots
// for the next start; "Discard" asks first, and deletes them only when the question is
// answered "Discard".
#include <filesystem>

#include "GuiHarness.h"
#include "TempDir.h"
#include "app/RecoveryDialog.h"
#include "core/Prefs.h"
#include "tagstore/FileStream.h"
#include "tagstore/Recovery.h"
#include "tagstore/SnapshotBuilder.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

class RecoveryDialogTest : public test::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    if (IsSkipped()) return;
    ThePrefs().SetPath(dir_.Path() + "/res/prefs.txt");
    // A dead session's snapshot of a tag of this game.
    RecoverySession session;
    ASSERT_TRUE(session.Start(dir_.Path() + "/res/recovery/"));
    const SnapshotInfo info =
        test::SnapshotOf("text", "welc", "Welcome Text", CanonicalFolder(game_));
    snapshot_ = test::WriteSnapshotAt(session.SnapshotPath(info.group, info.subgroup), info, "x");
    on_pump = [this](int) {
      const ModalEntry* top = TopModal();
      auto* box = top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
      if (!box || box->IsClosed() || answers.empty()) return;
      seen.push_back(std::string(box->Title()) + ": " + box->MessageBox()->Text());
      box->Choose(answers.front());
      answers.erase(answers.begin());
    };
  }
  void TearDown() override {
    ThePrefs().SetPath("res/prefs.txt");
    GuiTest::TearDown();
  }
  test::TempDir dir_;
  std::string game_ = dir_.Path();
  std::string snapshot_;
  std::vector<int> answers;
  std::vector<std::string> seen;
};

TEST_F(RecoveryDialogTest, LaterKeepsAndDiscardDeletesAfterTheQuestion) {
  const std::string row = "Recover Unsaved Changes: Welcome Text   'text'   'welc'   " +
                          FormatSnapshotTime(1765000000) + "\n";
  answers = {2};  // "Later"
  OfferRecovery(game_);
  EXPECT_EQ(seen, std::vector<std::string>{row});
  EXPECT_TRUE(fs::exists(snapshot_));

  // Another game folder is offered nothing.
  seen.clear();
  OfferRecovery(dir_.Path() + "/res");
  EXPECT_TRUE(seen.empty());

  // "Discard", then "Cancel" to the question: asked again; "Discard" twice deletes.
  const std::string question =
      "Discard Unsaved Changes?: The unsaved changes listed will be lost for good.";
  answers = {1, 1, 1, 0};
  OfferRecovery(game_);
  EXPECT_EQ(seen, (std::vector<std::string>{row, question, row, question}));
  EXPECT_FALSE(fs::exists(snapshot_));
  EXPECT_FALSE(fs::exists(fs::path(snapshot_).parent_path()));  // the dead session went too
}

}  // namespace
}  // namespace brae
