// The two collection builder dialogs in a real window: every refusal of "Build Standard
// Collection" and "Build High-Res Collection" shown in its "Error" box with the dialog left
// open, the questions about tags in the way, the fields remembered, and a build whose log page
// in the log viewer grows while the build runs.
#include <filesystem>

#include "BuilderTestSupport.h"
#include "app/LogViewer.h"
#include "app/ProgramHooks.h"
#include "app/RootMenu.h"
#include "collection/CollectionFormat.h"
#include "collection/ui/AutoCollectionDialog.h"
#include "collection/ui/AutoUpResDialog.h"
#include "collection/ui/X256Edit.h"
#include "core/MessageLog.h"
#include "core/Prefs.h"
#include "editing/EditingFixture.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

using test::Box;
using test::EditingTest;

class BuilderDialogs : public EditingTest {
 protected:
  void AddContent(demo::DemoGame& game) override {
    // 'hero' in an archive: sequence "walk", one view, two 4 × 6 frames at (2, 5).
    Collection c;
    c.palette = test::DistinctPalette();
    auto s = std::make_unique<CollectionSequence>();
    s->name = "walk";
    s->Resize(2, 1);
    for (int f = 0; f < 2; ++f) {
      auto b = CollectionBitmap::MakeIndexed("old" + std::to_string(f), 4, 6);
      for (size_t i = 0; i < 24; ++i) b->pixels[i * 2] = 255, b->pixels[i * 2 + 1] = 30;
      s->InstanceAt(f, 0)->bitmap = c.AddBitmap(std::move(b));
      s->InstanceAt(f, 0)->reg_x = 2, s->InstanceAt(f, 0)->reg_y = 5;
    }
    c.AddSequence(std::move(s));
    demo::DemoTag tag;
    tag.group = kCollectionGroup;
    tag.subgroup = FourCC("hero");
    tag.name = "Hero";
    tag.version = 4;
    tag.user_data = c.flags;
    SaveCollection(c, &tag.data);
    game.Archive("tags", "art", 2).tags.push_back(tag);
    tag.subgroup = FourCC("locl");
    tag.name = "Local Art";
    game.AddLocal(tag);
  }
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    AttachLogViewer();
    ThePrefs().Clear();
    Ui().last_button_time = Ui().last_double_click_time = -100.0;
  }
  std::string Tree() const { return dir_.Path() + "/tree"; }
  static Point ScreenCentre(Window* w) {
    const Rect c = w->ClientRect();
    Point p{c.Width() / 2, c.Height() / 2};
    w->ClientToScreen(&p, 1);
    return p;
  }
  // Presses the dialog's OK ("Create") button with the mouse.
  void PressOk(DialogWindow* d) {
    const Point p = ScreenCentre(d->OkButton());
    boxes.clear();
    Click(p.x, p.y);
    Frame();
  }
  // The one "Error" box the last press showed, or what was shown instead.
  std::string ErrorShown() const {
    if (boxes.size() != 1) return "<" + std::to_string(boxes.size()) + " boxes>";
    return boxes[0].title == "Error" ? boxes[0].message : "<" + boxes[0].title + ">";
  }
  template <typename D>
  D* Show() {
    auto* d = new D();
    d->CentreInParent();
    d->SetVisible(true);
    Frame();
    return d;
  }
};

// Each control stands right of its label, on the label's line, and a click right of a label
// types into that label's control.
TEST_F(BuilderDialogs, BothBuildersLayEveryControlBesideItsLabel) {
  auto beside = [&](BuilderDialog* d, const char* label, Window* control) {
    const Point at = d->LabelPosition(label);
    const Rect c = control->Frame();
    const int line_middle = at.y + LineHeight(d) / 2;
    return at.x >= 0 && at.x + MeasureText(d->GetFont(), label, 0) <= c.x0 && line_middle > c.y0 &&
           line_middle < c.y1;
  };
  auto* d = Show<AutoCollectionDialog>();
  test::SaveScreenshot("build-standard-collection");
  EXPECT_TRUE(beside(d, "Name:", d->NameBox()));
  EXPECT_TRUE(beside(d, "Folder:", d->FolderBox()));
  EXPECT_TRUE(beside(d, "Tagid (opt.):", d->TagidBox()));
  EXPECT_TRUE(beside(d, "X:", d->RegXBox()));
  EXPECT_TRUE(beside(d, "Y:", d->RegYBox()));
  EXPECT_TRUE(beside(d, "Regpoint", d->RegXBox()));
  // Typing right of "Tagid (opt.):" fills the tag id, never the folder.
  d->FolderBox()->SetText("/some/folder/");
  const Point tagid = d->LabelPosition("Tagid (opt.):");
  Click(d->TagidBox()->Frame().x0 + 8, tagid.y + LineHeight(d) / 2);
  Type("abcd");
  EXPECT_EQ(d->TagidBox()->Text(), "abcd");
  EXPECT_EQ(d->FolderBox()->Text(), "/some/folder/");
  d->Close();
  Frame();

  auto* h = Show<AutoUpResDialog>();
  test::SaveScreenshot("build-high-res-collection");
  EXPECT_TRUE(beside(h, "Original Collection:", h->CollectionChoice()));
  EXPECT_TRUE(beside(h, "High-Res Folder:", h->FolderBox()));
  EXPECT_TRUE(beside(h, "Target Scale:", h->TargetScaleBox()));
  EXPECT_TRUE(beside(h, "Scale Tolerance:", h->ToleranceBox()));
  EXPECT_TRUE(beside(h, "Object Scale:", h->ObjectScaleBox()));
  h->Close();
}

TEST_F(BuilderDialogs, StandardBuilderRefusesEachBadFieldInOrder) {
  auto* d = Show<AutoCollectionDialog>();
  EXPECT_STREQ(d->Title(), "Build Standard Collection");
  d->FolderBox()->SetText((dir_.Path() + "/missing").c_str());
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "Specified folder not found.");
  EXPECT_TRUE(d->IsVisible());
  d->FolderBox()->SetText(dir_.Path().c_str());
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "The name field is invalid.");
  d->NameBox()->SetFocus();
  Type("Built");
  EXPECT_EQ(d->NameBox()->Text(), "Built");
  d->RegXBox()->SetText("4097");
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "The Reg Point X value is invalid.");
  d->RegXBox()->SetText("4096");
  d->RegYBox()->SetText("y");
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "The Reg Point Y value is invalid.");
  EXPECT_TRUE(d->IsVisible());
  // All fields valid, but no sequence folder: the build fails and says so.
  d->RegYBox()->SetText("-4096");
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "Failed to create the new collection.");
  EXPECT_TRUE(d->IsVisible());
  // The settings were saved before the build.
  std::string name;
  int x = 0;
  EXPECT_TRUE(GetPrefString("AutoCollectionDialog.Name", &name));
  EXPECT_EQ(name, "Built");
  EXPECT_TRUE(GetPrefString("AutoCollectionDialog.RegX", &name));
  EXPECT_EQ(name, "4096");
  EXPECT_TRUE(GetPrefInt("AutoCollectionDialog.InvertAlphas", &x));
  d->Close();
}

TEST_F(BuilderDialogs, StandardBuilderWritesTheTagWhileTheLogPageGrows) {
  test::WriteSequence(Tree() + "/walk(2,8)", 16, 32);
  auto* d = Show<AutoCollectionDialog>();
  d->NameBox()->SetText("Walker");
  d->FolderBox()->SetText(Tree().c_str());
  d->TagidBox()->SetText("walk");
  d->RegXBox()->SetText("16");
  d->RegYBox()->SetText("30");
  // Note the log page's length at every frame the build lets the program draw.
  std::vector<size_t> seen;
  on_pump = [this, d, &seen](int) {
    AnswerBox();
    if (!d->Building()) return;
    TextBox* page =
        TheLogViewer() ? TheLogViewer()->PageText(TheLogViewer()->SelectedCategory()) : nullptr;
    seen.push_back(page ? page->Text().size() : 0);
  };
  PressOk(d);
  EXPECT_EQ(boxes.size(), 0u);
  EXPECT_FALSE(d->IsVisible());  // built: the dialog is done
  ASSERT_TRUE(d->Built());
  EXPECT_TRUE(d->Built()->local);
  ASSERT_FALSE(seen.empty());
  EXPECT_GT(seen.front(), 0u);
  const std::string category = TheLogViewer()->SelectedCategory();
  EXPECT_EQ(category.rfind("BuildCollection ", 0), 0u);
  EXPECT_NE(category.find(" (Walker)"), std::string::npos);
  const std::string text = TheMessageLog().Text(category);
  EXPECT_NE(text.find("16 instances, 16 unique"), std::string::npos);
  EXPECT_NE(text.find("Writing collection data to disk...ok."), std::string::npos);
  d->Close();
  Frame();
  TheCodex().PollLocalFolder(true);

  // Again with the same tag id: the question, declined → nothing more happens.
  d = Show<AutoCollectionDialog>();
  d->RememberFields(false);  // the remembered fields come back
  EXPECT_EQ(d->NameBox()->Text(), "Walker");
  EXPECT_EQ(d->TagidBox()->Text(), "walk");
  answers = {1};
  PressOk(d);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Overwrite Tag?");
  EXPECT_EQ(boxes[0].message,
            "Another collection with the same tagid exists in the local folder. Do you want to "
            "replace it?");
  EXPECT_TRUE(d->IsVisible());
  // Accepted while the tag is in use: it cannot be deleted.
  TagRecord* record = TheCodex().FindTag(kCollectionGroup, FourCC("walk"));
  TheCodex().AddTagUser(record, kUserInfo, this);
  answers = {0};
  PressOk(d);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].title, "Error");
  EXPECT_EQ(boxes[1].message, "The existing collection in the local folder could not be deleted.");
  TheCodex().RemoveTagUser(record, kUserInfo, this);
  // Another tag id, same name.
  d->TagidBox()->SetText("wal2");
  answers = {1};
  PressOk(d);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message,
            "Another collection with the same name already exists in the local folder. Do you "
            "want to replace it?");
  d->Close();
}

TEST_F(BuilderDialogs, HighResBuilderRefusesEachBadFieldInOrder) {
  auto* d = Show<AutoUpResDialog>();
  EXPECT_STREQ(d->Title(), "Build High-Res Collection");
  EXPECT_STREQ(d->OkButton()->Title(), "Create");
  ASSERT_EQ(d->Collections().size(), 2u);
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "You must choose a collection.");
  ASSERT_TRUE(d->ChooseCollection(FourCC("hero")));
  d->FolderBox()->SetText((dir_.Path() + "/missing").c_str());
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "Specified folder not found.");
  d->FolderBox()->SetText((dir_.Path() + "/hires").c_str());
  std::filesystem::create_directories(dir_.Path() + "/hires");
  for (const char* bad : {"0.009", "32.5", "x"}) {
    d->TargetScaleBox()->SetText(bad);
    PressOk(d);
    EXPECT_EQ(ErrorShown(), "Invalid scale.") << bad;
  }
  d->TargetScaleBox()->SetText("32");
  d->ObjectScaleBox()->SetText("0");
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "Invalid object scale.");
  d->ObjectScaleBox()->SetText("1");
  d->ToleranceBox()->SetText("32");
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "Invalid tolerance.");
  d->ToleranceBox()->SetText("0.05");
  d->TargetScaleBox()->SetText("0.01");
  ASSERT_TRUE(d->ChooseCollection(FourCC("locl")));
  PressOk(d);
  EXPECT_EQ(ErrorShown(), "Cannot Up-Res a collection from the local folder.");
  EXPECT_TRUE(d->IsVisible());
  d->Close();
}

TEST_F(BuilderDialogs, HighResBuilderStopsAtFatalThenBuilds) {
  for (int n = 0; n < 2; ++n) {
    const std::string stem = dir_.Path() + "/hires/walk/f" + std::to_string(n);
    test::WriteImage(stem + ".png", test::FrameImage(20, 20, Box{3, 4, 8, 12}, uint8_t(30 + n)));
    test::WriteImage(stem + ".alpha.png", test::AlphaImage(20, 20, Box{3, 4, 8, 12}));
  }
  auto* d = Show<AutoUpResDialog>();
  ASSERT_TRUE(d->ChooseCollection(FourCC("hero")));
  d->FolderBox()->SetText((dir_.Path() + "/hires").c_str());
  d->TargetScaleBox()->SetText("3");
  PressOk(d);
  EXPECT_EQ(boxes.size(), 0u);  // the log tells
  EXPECT_TRUE(d->IsVisible());
  const std::string category = TheLogViewer()->SelectedCategory();
  EXPECT_EQ(category.rfind("UpRes ", 0), 0u);
  EXPECT_NE(category.find(" (Hero)"), std::string::npos);
  EXPECT_NE(TheMessageLog().Text(category).find("FATAL: computed scale (2.00) must not be less "
                                                "than the target scale (3.00)."),
            std::string::npos);
  EXPECT_FALSE(TheCodex().FindTag(kCollectionGroup, FourCC("hero"))->local);
  d->TargetScaleBox()->SetText("2");
  PressOk(d);
  EXPECT_EQ(boxes.size(), 0u);
  EXPECT_EQ(d->LastOutcome(), BuildOutcome::kBuilt);
  EXPECT_FALSE(d->IsVisible());
  EXPECT_TRUE(TheCodex().FindTag(kCollectionGroup, FourCC("hero"))->local);
  std::string folder;
  EXPECT_TRUE(GetPrefString("AutoUpResDialog.TargetScale", &folder));
  d->Close();
}

TEST_F(BuilderDialogs, TheRootMenuItemBuildsAndOpensTheNewCollection) {
  InstallProgramHooks();
  RegisterCollectionEditor();
  test::WriteSequence(Tree() + "/walk(2,3)", 6, 8);
  SetPrefString("AutoCollectionDialog.Name", "Menu Built");
  SetPrefString("AutoCollectionDialog.Path", Tree());
  SetPrefString("AutoCollectionDialog.Tagid", "menu");
  SetPrefString("AutoCollectionDialog.RegX", "4");
  SetPrefString("AutoCollectionDialog.RegY", "7");
  // The user presses OK as soon as the dialog is up with its remembered fields.
  std::string shown;
  on_pump = [this, &shown, pressed = false](int) mutable {
    AnswerBox();
    const ModalEntry* top = TopModal();
    auto* d = top ? dynamic_cast<AutoCollectionDialog*>(top->window) : nullptr;
    if (!d || pressed || !d->IsVisible()) return;
    pressed = true;
    shown = d->NameBox()->Text();
    now += 1.0;
    const Point ok = ScreenCentre(d->OkButton());
    QueueMousePosition(ok.x, ok.y);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
  };
  ASSERT_TRUE(RunRootCommand(kCmdBuildStandardCollection));
  Frame();
  EXPECT_EQ(shown, "Menu Built");
  EXPECT_EQ(boxes.size(), 0u);
  TagRecord* record = TheCodex().FindTag(kCollectionGroup, FourCC("menu"));
  ASSERT_TRUE(record && record->local);
  EXPECT_EQ(CountLayer0("AutoCollectionDialog"), 0);
  EXPECT_EQ(CountLayer0("X256Edit"), 1);  // the new collection is open in its editor
  auto* editor = dynamic_cast<X256Edit*>(OpenTag(record));
  ASSERT_TRUE(editor);
  ASSERT_EQ(editor->GetCollection().sequences.size(), 1u);
  EXPECT_EQ(editor->GetCollection().sequences[0]->FrameCount(), 3);
  EXPECT_EQ(editor->GetCollection().sequences[0]->frames[2].views[1]->bitmap->name, "f006");
}

}  // namespace
}  // namespace brae
