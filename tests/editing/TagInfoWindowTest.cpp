// The tag information window: its rows, title, every refusal of Apply, renaming and changing
// the subgroup id, the close question, the override chain; and the tag choice list.
#include <filesystem>

#include "EditingFixture.h"
#include "editing/CodexGroupBox.h"
#include "editing/TagEdit.h"
#include "editing/TagInfoWindow.h"
#include "editing/TextEdit.h"

namespace brae {
namespace {

namespace fs = std::filesystem;
using test::EditingTest;

TEST_F(EditingTest, InfoWindowOpensOnceAndShowsTheTag) {
  TagRecord* record = Find("text", "welc");
  TagInfoWindow* info = TagInfoWindow::Open(record);
  ASSERT_TRUE(info);
  EXPECT_STREQ(info->Title(), "Tag Info: Welcome Text");
  EXPECT_EQ(info->NameBox()->Text(), "Welcome Text");
  EXPECT_EQ(info->SubgroupBox()->Text(), "welc");
  EXPECT_EQ(info->NameBox()->MaxLength(), 32);
  EXPECT_EQ(info->SubgroupBox()->MaxLength(), 4);
  EXPECT_EQ(info->ClientSize().x, 400);
  EXPECT_FALSE(info->FieldsDiffer());
  EXPECT_EQ(TagInfoWindow::Open(record), info);
  EXPECT_EQ(CountLayer0("TagInfoWindow"), 1);
  ASSERT_EQ(record->users.size(), 1u);
  EXPECT_EQ(record->users[0].kind, kUserInfo);
  Frame();
  test::SaveScreenshot("editing_tag_info");
  EXPECT_TRUE(TryClose(info));
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(record->users.empty());  // the deletion removed the 'info' user
}

TEST_F(EditingTest, InfoFieldsShowTheirTextsFromTheStartBesideWholeLabels) {
  TagInfoWindow* info = TagInfoWindow::Open(Find("text", "welc"));
  ASSERT_TRUE(info);
  Frame();
  auto lit_columns = [&](TextBox* box) {
    Rect r = box->ClientRect();
    int lit = 0;
    for (int x = r.x0; x < r.x1; ++x) {
      bool any = false;
      for (int y = r.y0 + 2; y < r.y1 - 2 && !any; ++y) any = At(x, y).Brightness() > 450;
      lit += any;
    }
    return lit;
  };
  // The whole name and subgroup id are in view, not scrolled off to the left.
  EXPECT_GE(lit_columns(info->NameBox()), TextWidth(info, "Welcome Text") * 2 / 3);
  EXPECT_GE(lit_columns(info->SubgroupBox()), TextWidth(info, "welc") * 2 / 3);
  // The labels end before the boxes begin, so no box covers a label's last letters.
  for (TextBox* box : {info->NameBox(), info->SubgroupBox()}) {
    int label_end = info->ClientRect().x0 + 12 + TextWidth(info, "Tag Subgroup:");
    EXPECT_LT(label_end, box->Frame().x0);
  }
  Rect sub = info->SubgroupBox()->Frame();
  bool label_shows = false;  // the colon of "Tag Subgroup:" is drawn left of its box
  for (int x = sub.x0 - 12; x < sub.x0; ++x)
    for (int y = sub.y0; y < sub.y1; ++y) label_shows = label_shows || At(x, y).Brightness() > 600;
  EXPECT_TRUE(label_shows);
}

TEST_F(EditingTest, InfoTitleMarksChangedFields) {
  TagInfoWindow* info = TagInfoWindow::Open(Find("text", "welc"));
  ASSERT_TRUE(info);
  info->NameBox()->SetFocus(0);
  Type("!");
  EXPECT_TRUE(info->FieldsDiffer());
  EXPECT_STREQ(info->Title(), "Tag Info: Welcome Text!*");
  Tap(kKeyBackspace);
  EXPECT_STREQ(info->Title(), "Tag Info: Welcome Text");
  info->SubgroupBox()->SetFocus(0);
  Tap(kKeyBackspace);
  EXPECT_STREQ(info->Title(), "Tag Info: Welcome Text*");
}

TEST_F(EditingTest, ApplyRefusesATagInUse) {
  TagRecord* record = Find("text", "welc");
  ASSERT_TRUE(OpenTag(record));
  TagInfoWindow* info = TagInfoWindow::Open(record);
  ASSERT_TRUE(info);
  info->NameBox()->SetText("Other");
  EXPECT_FALSE(info->Apply());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message,
            "Tag information for 'Welcome Text' could not be updated because the tag is still "
            "in use.");
}

TEST_F(EditingTest, ApplyRefusesBadFields) {
  TagInfoWindow* info = TagInfoWindow::Open(Find("text", "welc"));
  ASSERT_TRUE(info);
  info->SubgroupBox()->SetText("ab");
  EXPECT_FALSE(info->Apply());
  info->SubgroupBox()->SetText("welc");
  info->NameBox()->SetText("");
  EXPECT_FALSE(info->Apply());
  info->NameBox()->SetText("Welcome Text");
  info->SubgroupBox()->SetText("note");  // the local 'Local Notes' has it
  EXPECT_FALSE(info->Apply());
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].message, "The subgroup id must be exactly 4 characters long.");
  EXPECT_EQ(boxes[1].message, "The name field must not be empty.");
  EXPECT_EQ(boxes[2].message,
            "A tag with the specified group and subgroup combination already exists in the "
            "local folder.");
  EXPECT_FALSE(fs::exists(LocalPath(FourCC("text"), "Welcome Text")));
}

TEST_F(EditingTest, ApplyRenamesALocalTag) {
  TagRecord* record = Find("text", "note");
  TagInfoWindow* info = TagInfoWindow::Open(record);
  ASSERT_TRUE(info);
  info->NameBox()->SetText("Renamed Notes");
  ASSERT_TRUE(info->Apply()) << (boxes.empty() ? "" : boxes[0].message);
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(fs::exists(LocalPath(FourCC("text"), "Renamed Notes")));
  EXPECT_FALSE(fs::exists(LocalPath(FourCC("text"), "Local Notes")));
  EXPECT_STREQ(info->Title(), "Tag Info: Renamed Notes");
  EXPECT_FALSE(info->FieldsDiffer());
  EXPECT_EQ(info->Record(), Find("text", "note"));
  EXPECT_TRUE(TryClose(info));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(EditingTest, ApplyChangesTheSubgroupAndMovesTheInfoUser) {
  TagInfoWindow* info = TagInfoWindow::Open(Find("text", "note"));
  ASSERT_TRUE(info);
  info->SubgroupBox()->SetText("nte2");
  ASSERT_TRUE(info->Apply()) << (boxes.empty() ? "" : boxes[0].message);
  TagRecord* moved = Find("text", "nte2");
  ASSERT_TRUE(moved);
  EXPECT_EQ(info->Record(), moved);
  ASSERT_EQ(moved->users.size(), 1u);
  EXPECT_EQ(moved->users[0].kind, kUserInfo);
  TagRecord* old = Find("text", "note");
  EXPECT_TRUE(!old || !TheCodex().HasEffectiveInstance(old));
  EXPECT_EQ(info->SubgroupBox()->Text(), "nte2");
}

TEST_F(EditingTest, InfoCloseQuestion) {
  TagRecord* record = Find("text", "note");
  TagInfoWindow* info = TagInfoWindow::Open(record);
  ASSERT_TRUE(info);
  info->NameBox()->SetText("Changed");
  answers = {2};
  EXPECT_FALSE(TryClose(info));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Save?");
  EXPECT_EQ(boxes[0].message, "Do you wish to save your changes to the tag?");
  info->SubgroupBox()->SetText("ab");
  answers = {0, 0};  // Save fails (the four-character message): the window stays
  EXPECT_FALSE(TryClose(info));
  EXPECT_EQ(boxes.size(), 3u);
  answers = {1};
  EXPECT_TRUE(TryClose(info));
  EXPECT_TRUE(fs::exists(LocalPath(FourCC("text"), "Local Notes")));
}

TEST_F(EditingTest, InfoSaveAnswerAppliesAndCloses) {
  TagInfoWindow* info = TagInfoWindow::Open(Find("text", "note"));
  ASSERT_TRUE(info);
  info->NameBox()->SetText("Saved Notes");
  answers = {0};
  EXPECT_TRUE(TryClose(info));
  EXPECT_TRUE(fs::exists(LocalPath(FourCC("text"), "Saved Notes")));
}

TEST_F(EditingTest, InfoControlSApplies) {
  TagInfoWindow* info = TagInfoWindow::Open(Find("text", "note"));
  ASSERT_TRUE(info);
  info->NameBox()->SetFocus(0);
  Type("!");
  ControlS();
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(fs::exists(LocalPath(FourCC("text"), "Local Notes!")));
}

TEST_F(EditingTest, OverrideChainShowsEveryCopyAndTheOneInForce) {
  TagRecord* record = Find("text", "welc");
  EXPECT_EQ(OverrideChainLines(TheCodex(), record), (std::vector<std::string>{"texts (in force)"}));
  ASSERT_TRUE(TheCodex().CopyToLocal(record));
  TheCodex().PollLocalFolder(true);
  EXPECT_EQ(OverrideChainLines(TheCodex(), record),
            (std::vector<std::string>{"local folder (in force)", "texts"}));
  TheCodex().SetActiveArchives({});
  TagInfoWindow* info = TagInfoWindow::Open(record);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->ChainLines(),
            (std::vector<std::string>{"local folder (in force)", "texts (inactive)"}));
  Frame();
  test::SaveScreenshot("editing_tag_info_chain");
}

TEST_F(EditingTest, InfoRowsFollowASaveInTheEditor) {
  TagRecord* record = Find("text", "welc");
  TagInfoWindow* info = TagInfoWindow::Open(record);
  auto* editor = dynamic_cast<TextEdit*>(OpenTag(record));
  ASSERT_TRUE(info && editor);
  editor->Box()->SetText("short");
  ASSERT_TRUE(editor->SaveWithMessages());
  TheCodex().PollLocalFolder(false);  // the pump's poll tells the listeners
  EXPECT_EQ(info->ChainLines(), (std::vector<std::string>{"local folder (in force)", "texts"}));
  EXPECT_FALSE(info->FieldsDiffer());
}

TEST_F(EditingTest, CodexGroupBoxListsTheTagsOfOneGroup) {
  Window* parent = new Window(kWindowVisible);
  auto* box = new CodexGroupBox(FourCC("text"), parent, 0);
  ASSERT_EQ(box->ItemCount(), 2);
  EXPECT_STREQ(box->ClassName(), "ComboBox");
  EXPECT_EQ(box->ItemAt(0).text, "Local Notes");
  EXPECT_EQ(box->ItemAt(1).text, "Welcome Text");
  EXPECT_EQ(box->RecordAt(1), Find("text", "welc"));
  EXPECT_EQ(box->RecordAt(2), nullptr);
  auto* none = new CodexGroupBox(kNoSubgroup, parent, 0);
  EXPECT_EQ(none->ItemCount(), 0);
  parent->Close();
}

}  // namespace
}  // namespace brae
