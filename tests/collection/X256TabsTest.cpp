// The collection editor's "Color Table", "Flags" and "Optimize" tabs on the demo sprites: the
// colour picker on a swatch, a colour table file loaded through its dialog, the flag boxes,
// the optimisations and their refusal while a bitmap window is open, and the undo and redo of
// every change.
#include <filesystem>
#include <string>
#include <vector>

#include "CollectionEditorFixture.h"
#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "collection/CollectionOptimize.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256ColorTableEdit.h"
#include "collection/ui/X256Edit.h"
#include "collection/ui/X256FlagsEdit.h"
#include "collection/ui/X256OptimizeEdit.h"
#include "editing/EditingFixture.h"
#include "media/ColorTable.h"
#include "media/ui/FileDialog.h"
#include "toolkit/Button.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ColorPicker.h"
#include "toolkit/TabWindow.h"

namespace brae {
namespace {

enum TabIndex { kBitmapsTab = 0, kColorTableTab = 4, kFlagsTab = 5, kOptimizeTab = 6 };

class X256TabsTest : public test::CollectionEditorTest {
 protected:
  X256Edit* Open(const char (&subgroup)[5]) {
    auto* editor = dynamic_cast<X256Edit*>(OpenTag(Find(".256", subgroup)));
    Frame();
    return editor;
  }
  void ShowTab(X256Edit* editor, int index) {
    editor->Tabs()->SelectTab(index);
    Frame();
  }
  // The bitmap tab with its thumbnails (their textures are built as they are drawn).
  void ShowGrid(X256Edit* editor) {
    ShowTab(editor, kBitmapsTab);
    X256BitmapBrowser* browser = editor->BitmapBrowser();
    if (browser->View() == kShowGrid) return;
    Click(Centre(browser->ViewButton()->Frame()).x, Centre(browser->ViewButton()->Frame()).y);
    Frame();
    ASSERT_EQ(browser->View(), kShowGrid);
  }
  void ClickButton(Button* button) { Click(Centre(button->Frame()).x, Centre(button->Frame()).y); }
  void DoubleClick(Point p) {
    now += 1.0;
    QueueMousePosition(p.x, p.y);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
    Frame();
    Frame();
  }
  void ControlKey(int key) {
    Key(kKeyLeftControl, true);
    Tap(key);
    Key(kKeyLeftControl, false);
  }
  // A swatch's centre on the screen.
  static Point SwatchPoint(X256ColorTableEdit* tab, int index) {
    const Rect r = tab->SwatchRect(index);
    return Point{tab->ClientRect().x0 + (r.x0 + r.x1) / 2,
                 tab->ClientRect().y0 + (r.y0 + r.y1) / 2};
  }
  static std::vector<uint8_t> Saved(const Collection& c) {
    std::vector<uint8_t> data;
    EXPECT_TRUE(SaveCollection(c, &data));
    return data;
  }
  // While a command runs, the first file dialog seen shows the folder, selects the file and is
  // accepted with its OK button.
  void PickFileInDialog(const std::string& folder, const std::string& file) {
    dialog_title.clear();
    on_pump = [this, folder, file, step = 0](int) mutable {
      AnswerBox();
      const ModalEntry* top = TopModal();
      auto* d = top ? dynamic_cast<FileDialogWindow*>(top->window) : nullptr;
      if (!d || d->IsClosed()) return;
      ++step;
      if (step == 2) {
        dialog_title = d->Title() ? d->Title() : "";
        d->ShowFolder(folder);
        d->NameField()->SetText(file.c_str());
      }
      if (step == 4) {
        now += 1.0;
        Point ok = Centre(d->OkButton()->Frame());
        QueueMousePosition(ok.x, ok.y);
        QueueMouseButton(0, 1);
        QueueMouseButton(0, 0);
      }
    };
  }
  std::string dialog_title;
};

TEST_F(X256TabsTest, TheTabsAreInPlaceWithTheirControls) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  ASSERT_TRUE(editor->ColorTableTab());
  EXPECT_STREQ(editor->Tabs()->Page(kColorTableTab)->Title(), "Color Table");
  EXPECT_STREQ(editor->Tabs()->Page(kFlagsTab)->Title(), "Flags");
  EXPECT_STREQ(editor->Tabs()->Page(kOptimizeTab)->Title(), "Optimize");
  ShowTab(editor, kOptimizeTab);
  test::SaveScreenshot("x256_optimize_tab");
  X256OptimizeEdit* optimize = editor->OptimizeTab();
  std::vector<std::string> labels;
  int last_bottom = -1;
  for (int i = 0; i < kOptimizeCommandCount; ++i) {
    Button* b = optimize->CommandButton(i);
    labels.push_back(b->Title());
    EXPECT_EQ(b->Frame().Width(), 200);
    if (last_bottom >= 0) {
      EXPECT_EQ(b->Frame().y0 - last_bottom, 6);
    }
    last_bottom = b->Frame().y1;
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"Delete Unused Bitmaps", "Merge Identical Bitmaps",
                                              "Crop All Bitmaps", "Auto Rename Bitmaps",
                                              "Get Runtime Size"}));
  ShowTab(editor, kColorTableTab);
  test::SaveScreenshot("x256_color_table_tab");
  X256ColorTableEdit* table = editor->ColorTableTab();
  EXPECT_EQ(table->SwatchRect(0).Width(), 22);
  EXPECT_EQ(table->SwatchRect(0).Height(), 22);
  EXPECT_EQ(table->SwatchAt(SwatchPoint(table, 37).x, SwatchPoint(table, 37).y), 37);
  // The swatch shows its palette entry.
  const PaletteColor& colour = editor->GetCollection().palette[37];
  test::Pixel p = At(SwatchPoint(table, 37).x, SwatchPoint(table, 37).y);
  EXPECT_EQ(p.r, colour.r);
  EXPECT_EQ(p.g, colour.g);
  EXPECT_EQ(p.b, colour.b);
  ShowTab(editor, kFlagsTab);
  test::SaveScreenshot("x256_flags_tab");
}

TEST_F(X256TabsTest, DoubleClickingASwatchOpensThePickerAndTheColourIsUndone) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  // The bitmaps have been drawn: their textures exist.
  ShowGrid(editor);
  ASSERT_GT(editor->Textures().TextureCount(), 0u);
  ShowTab(editor, kColorTableTab);
  X256ColorTableEdit* table = editor->ColorTableTab();
  const PaletteColor before = c.palette[5];
  uint32_t old_seen = 0;
  bool picked = false;
  on_pump = [&](int) {
    AnswerBox();
    const ModalEntry* top = TopModal();
    auto* picker = top ? dynamic_cast<ColorPickerWindow*>(top->window) : nullptr;
    if (!picker || picker->IsClosed() || picked) return;
    picked = true;
    old_seen = picker->OldColour();
    picker->SetColour(0x40C000);  // green
    test::SaveScreenshot("x256_color_picker_on_swatch");
    Point ok = Centre(picker->OkButton()->Frame());
    QueueMousePosition(ok.x, ok.y);
    QueueMouseButton(0, 1);
    QueueMouseButton(0, 0);
  };
  DoubleClick(SwatchPoint(table, 5));
  on_pump = [this](int) { AnswerBox(); };
  Frame();
  ASSERT_TRUE(picked);
  EXPECT_EQ(old_seen, uint32_t(before.r) | uint32_t(before.g) << 8 | uint32_t(before.b) << 16);
  EXPECT_EQ(c.palette[5], (PaletteColor{0x00, 0xC0, 0x40}));
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_EQ(editor->Textures().TextureCount(), 0u);  // every bitmap is drawn anew
  test::Pixel p = At(SwatchPoint(table, 5).x, SwatchPoint(table, 5).y);
  EXPECT_EQ(p.g, 0xC0);
  EXPECT_TRUE(editor->Undos().CanUndo());
  ControlKey('Z');
  EXPECT_EQ(c.palette[5], before);
  ControlKey('Y');
  EXPECT_EQ(c.palette[5], (PaletteColor{0x00, 0xC0, 0x40}));
}

TEST_F(X256TabsTest, ALoadedColorTableReplacesEveryEntryAndRedrawsTheBitmaps) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  ShowGrid(editor);
  const size_t builds = editor->Textures().BuildCount();
  ASSERT_GT(editor->Textures().TextureCount(), 0u);
  const std::vector<uint8_t> before = Saved(c);
  const CollectionPalette old_palette = c.palette;
  // A table whose every entry differs from the palette.
  Rgb table[kMaxPaletteSize];
  for (int i = 0; i < kMaxPaletteSize; ++i)
    table[i] = Rgb{uint8_t(255 - old_palette[size_t(i)].r), uint8_t(i), 77};
  const std::string folder = dir_.Path() + "/tables";
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(WriteColorTable(folder + "/inverted.act", table, kMaxPaletteSize));
  ShowTab(editor, kColorTableTab);
  PickFileInDialog(folder, "inverted.act");
  editor->ColorTableTab()->RunCommand(kColorTableLoad);
  on_pump = [this](int) { AnswerBox(); };
  Frame();
  EXPECT_EQ(dialog_title, "Import Color Table");
  EXPECT_TRUE(boxes.empty());
  for (int i = 0; i < kMaxPaletteSize; ++i)
    EXPECT_EQ(c.palette[size_t(i)], (PaletteColor{table[i].r, table[i].g, table[i].b})) << i;
  EXPECT_TRUE(editor->IsDirty());
  // Every bitmap is drawn again with the new colours.
  ShowTab(editor, kBitmapsTab);
  EXPECT_GT(editor->Textures().BuildCount(), builds);
  // Saved the other way: the file holds the new palette.
  ShowTab(editor, kColorTableTab);
  PickFileInDialog(folder, "saved.act");
  editor->ColorTableTab()->RunCommand(kColorTableSave);
  on_pump = [this](int) { AnswerBox(); };
  Frame();
  EXPECT_EQ(dialog_title, "Export Color Table");
  Rgb saved[kMaxPaletteSize];
  int count = 0;
  ASSERT_TRUE(ReadColorTable(folder + "/saved.act", saved, &count));
  EXPECT_EQ(count, 256);
  EXPECT_EQ(saved[200], table[200]);
  // Undone: the old palette; a file that is not a table changes nothing.
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
  test::WriteFile(folder + "/bad.act", std::string(10, 'x'));
  PickFileInDialog(folder, "bad.act");
  editor->ColorTableTab()->RunCommand(kColorTableLoad);
  on_pump = [this](int) { AnswerBox(); };
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message, "The color table could not be opened.");
  EXPECT_EQ(Saved(c), before);
}

TEST_F(X256TabsTest, FlagBoxesShowTheBitsAndMonstersOffLeavesTheOthers) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  ASSERT_EQ(c.flags, kCollectionForMonsters | kCollectionForScenery);
  ShowTab(editor, kFlagsTab);
  X256FlagsEdit* flags = editor->FlagsTab();
  std::vector<bool> shown;
  for (CheckBox* box : flags->Boxes()) shown.push_back(box->IsChecked());
  EXPECT_EQ(shown, (std::vector<bool>{false, true, false, true, false, false}));
  EXPECT_STREQ(flags->Boxes()[1]->Title(), "Monsters");
  // A click on "Monsters" clears bit 1 only.
  Click(Centre(flags->Boxes()[1]->Frame()).x, Centre(flags->Boxes()[1]->Frame()).y);
  EXPECT_EQ(c.flags, kCollectionForScenery);
  EXPECT_FALSE(flags->Boxes()[1]->IsChecked());
  EXPECT_TRUE(editor->IsDirty());
  Click(Centre(flags->Boxes()[5]->Frame()).x, Centre(flags->Boxes()[5]->Frame()).y);
  EXPECT_EQ(c.flags, kCollectionForScenery | kCollectionForInterfaces);
  ControlKey('Z');
  ControlKey('Z');
  EXPECT_EQ(c.flags, kCollectionForMonsters | kCollectionForScenery);
  EXPECT_TRUE(flags->Boxes()[1]->IsChecked());
  EXPECT_FALSE(flags->Boxes()[5]->IsChecked());
  ControlKey('Y');
  EXPECT_EQ(c.flags, kCollectionForScenery);
  EXPECT_FALSE(flags->Boxes()[1]->IsChecked());
}

TEST_F(X256TabsTest, OptimizeRefusesWhileABitmapWindowIsOpen) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  bitmaps->OpenBitmapWindow(bitmaps->Listed()[0]);
  Frame();
  editor->BringToFront();
  ShowTab(editor, kOptimizeTab);
  X256OptimizeEdit* optimize = editor->OptimizeTab();
  EXPECT_FALSE(optimize->IsOptimizeEnabled());
  const std::vector<uint8_t> before = Saved(c);
  for (int i = 0; i < kOptimizeCommandCount; ++i) {
    boxes.clear();
    Click(Centre(optimize->CommandButton(i)->Frame()).x,
          Centre(optimize->CommandButton(i)->Frame()).y);
    ASSERT_EQ(boxes.size(), 1u) << i;
    EXPECT_EQ(boxes[0].message,
              "Please close all bitmap, sequence and sequence edit windows before performing "
              "optimizations.");
  }
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->IsDirty());
  // With the window closed the button works.
  bitmaps->CloseBitmapWindows();
  Frame();
  EXPECT_TRUE(optimize->IsOptimizeEnabled());
  boxes.clear();
  Click(Centre(optimize->CommandButton(kOptimizeRuntimeSize)->Frame()).x,
        Centre(optimize->CommandButton(kOptimizeRuntimeSize)->Frame()).y);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Information");
  EXPECT_EQ(boxes[0].message.rfind("Approximate texture cache consumption, by format:\n", 0), 0u);
  EXPECT_FALSE(editor->IsDirty());
}

TEST_F(X256TabsTest, EveryOptimisationIsUndoneAndRedone) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  X256OptimizeEdit* optimize = editor->OptimizeTab();
  ShowTab(editor, kOptimizeTab);
  // A copy of the first bitmap to merge.
  c.AddBitmap(std::make_unique<CollectionBitmap>(*c.bitmaps[0]));
  editor->BitmapBrowser()->Refresh();
  const std::vector<uint8_t> original = Saved(c);

  struct Step {
    int command;
    std::string report;
    size_t bitmaps_after;
  };
  const std::vector<Step> steps = {
      {kOptimizeMergeIdentical, "1 bitmap was deleted after merging.", 7},
      {kOptimizeDeleteUnused, "1 unused bitmap was removed.", 6},
      {kOptimizeCropAll, "", 6},
      {kOptimizeAutoRename, "", 6},
  };
  std::vector<std::vector<uint8_t>> states = {original};
  for (const Step& step : steps) {
    boxes.clear();
    ClickButton(optimize->CommandButton(step.command));
    ASSERT_EQ(boxes.size(), 1u) << step.command;
    if (!step.report.empty()) {
      EXPECT_EQ(boxes[0].message, step.report);
    }
    EXPECT_EQ(c.bitmaps.size(), step.bitmaps_after) << step.command;
    EXPECT_NE(Saved(c), states.back()) << step.command;
    states.push_back(Saved(c));
  }
  EXPECT_EQ(boxes[0].title, "Rename operation");
  EXPECT_EQ(c.bitmaps[0]->name, "Walk 00~00");
  EXPECT_TRUE(editor->IsDirty());
  // The tabs follow: the bitmap tab lists the renamed bitmaps.
  EXPECT_EQ(editor->BitmapBrowser()->Listed()[0]->name, c.bitmaps[0]->name);
  for (size_t i = steps.size(); i-- > 0;) {
    ControlKey('Z');
    EXPECT_EQ(Saved(c), states[i]) << i;
  }
  EXPECT_EQ(editor->BitmapBrowser()->Listed().size(), 7u);
  for (size_t i = 1; i <= steps.size(); ++i) {
    ControlKey('Y');
    EXPECT_EQ(Saved(c), states[i]) << i;
  }
}

}  // namespace
}  // namespace brae
