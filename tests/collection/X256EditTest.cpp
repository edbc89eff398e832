// The collection editor on the demo collections: opening each of them (and refusing the colour
// map and a damaged tag), the tab window, both bitmap browsers with their rows, count labels
// and context menus, thumbnails drawn with the palette, bitmap windows opened by a double
// click, the alternate placement on Control+T, and saving byte for byte.
#include <algorithm>
#include <map>
#include <set>

#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "collection/HueMath.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/BitmapWindow.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256Edit.h"
#include "editing/EditingFixture.h"
#include "toolkit/Menu.h"
#include "toolkit/TabWindow.h"

namespace brae {
namespace {

using test::EditingTest;

// A browser that notes which hook each command reached, with its targets.
class RecordingBrowser : public X256BitmapBrowser {
 public:
  using X256BitmapBrowser::X256BitmapBrowser;
  struct Call {
    explicit Call(std::string h, std::vector<std::string> n = {}, bool a = false)
        : hook(std::move(h)), names(std::move(n)), all(a) {}
    std::string hook;
    std::vector<std::string> names;
    bool all = false;
    int before = -1;
  };
  std::vector<Call> calls;

  void Note(const std::string& hook, const BitmapTargets& t) {
    Call c(hook, {}, t.all);
    for (CollectionBitmap* b : t.bitmaps) c.names.push_back(b->name);
    calls.push_back(c);
  }
  void OnRenameBitmap(CollectionBitmap* b) override { calls.push_back(Call("Rename", {b->name})); }
  void OnExportBitmaps(const BitmapTargets& t) override { Note("Export", t); }
  void OnExportAlphas(const BitmapTargets& t) override { Note("ExportAlpha", t); }
  void OnExportPlate(const BitmapTargets& t) override { Note("ExportPlate", t); }
  void OnExportAlphaPlate(const BitmapTargets& t) override { Note("ExportAlphaPlate", t); }
  void OnReplaceBitmaps(const BitmapTargets& t) override { Note("Replace", t); }
  void OnReplaceAlphas(const BitmapTargets& t) override { Note("ReplaceAlpha", t); }
  void OnReplaceFromPlate(const BitmapTargets& t) override { Note("ReplaceFromPlate", t); }
  void OnReplaceAlphasFromPlate(const BitmapTargets& t) override {
    Note("ReplaceAlphaFromPlate", t);
  }
  void OnRemoveAlpha(const BitmapTargets& t) override { Note("RemoveAlpha", t); }
  void OnConvertToRle(const BitmapTargets& t) override { Note("ToRle", t); }
  void OnConvertToRaw(const BitmapTargets& t) override { Note("ToRaw", t); }
  void OnCropTransparency(const BitmapTargets& t) override { Note("Crop", t); }
  void OnUncropTransparency(const BitmapTargets& t) override { Note("Uncrop", t); }
  void OnDeleteBitmaps(const BitmapTargets& t) override { Note("Delete", t); }
  void OnImportBitmaps() override { calls.push_back(Call("ImportBitmaps")); }
  void OnImportShadows() override { calls.push_back(Call("ImportShadows")); }
  void OnImportPlate() override { calls.push_back(Call("ImportPlate")); }
  void OnMoveBitmaps(const std::vector<CollectionBitmap*>& bitmaps, int before) override {
    Call c("Move");
    for (CollectionBitmap* b : bitmaps) c.names.push_back(b->name);
    c.before = before;
    calls.push_back(c);
  }
};

// One menu level: "label" (with " (disabled)"), "label=id", "-" for separators; a submenu as
// "label[...]".
std::string Describe(const std::vector<MenuItem*>& items) {
  std::string out;
  for (MenuItem* item : items) {
    if (!out.empty()) out += ", ";
    if (item->IsSeparator()) {
      out += "-";
      continue;
    }
    out += item->Title() ? item->Title() : "";
    if (item->HasSubmenu())
      out += "[" + Describe(item->Items()) + "]";
    else
      out += "=" + std::to_string(item->Command());
    if (!item->IsEnabled()) out += " (disabled)";
  }
  return out;
}

class X256EditTest : public EditingTest {
 protected:
  void AddContent(demo::DemoGame& game) override {
    demo::AddCollectionsDemo(game);
    demo::DemoTag broken;
    broken.group = kCollectionGroup;
    broken.subgroup = FourCC("brok");
    broken.name = "Broken Collection";
    broken.data.assign(100, 0xFF);  // shorter than a collection header
    game.AddLocal(broken);
  }
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    RegisterCollectionEditor();
    Ui().last_button_time = Ui().last_double_click_time = -100.0;
  }

  X256Edit* Open(const char (&subgroup)[5]) {
    auto* editor = dynamic_cast<X256Edit*>(OpenTag(Find(".256", subgroup)));
    Frame();
    return editor;
  }
  static std::vector<std::string> RowTexts(X256BitmapBrowser* browser, size_t row) {
    ListWindow* list = browser->List();
    std::vector<std::string> out;
    for (int c = 0; c < list->ColumnCount(); ++c)
      out.push_back(list->CellText(list->ShownRow(row), c));
    return out;
  }
  static Point RowPoint(ListWindow* list, size_t row) {
    Rect r = list->RowRect(row);
    return Point{r.x0 + 30, (r.y0 + r.y1) / 2};
  }
  static Point Centre(const Rect& r) { return Point{(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2}; }
  void ShowTab(X256Edit* editor, int index) {
    editor->Tabs()->SelectTab(index);
    Frame();
  }
  void ShowGrid(X256BitmapBrowser* browser) {
    Click(Centre(browser->ViewButton()->Frame()).x, Centre(browser->ViewButton()->Frame()).y);
    Frame();
    ASSERT_EQ(browser->View(), kShowGrid);
  }
  // Right-clicks at the point; notes the menu (its top level and the open submenu) and closes
  // it, choosing the item with the given label path when one is given.
  std::string RightClickMenu(Point at, const std::string& screenshot,
                             const std::vector<std::string>& choose = {}) {
    std::string seen;
    int menu_pumps = 0;
    on_pump = [&](int) {
      AnswerBox();
      const ModalEntry* top = TopModal();
      auto* menu = top ? dynamic_cast<Menu*>(top->window) : nullptr;
      if (!menu || menu->IsClosed()) return;
      ++menu_pumps;
      if (menu_pumps == 2) {
        seen = Describe(menu->Shown());
        // Open the "Selected" submenu for the picture.
        for (size_t i = 0; i < menu->Shown().size(); ++i)
          if (menu->Shown()[i]->HasSubmenu() && menu->Shown()[i]->IsEnabled()) {
            menu->Highlight(int(i));
            menu->OpenSubmenuOf(int(i));
            break;
          }
      }
      if (menu_pumps == 4) {
        if (!screenshot.empty()) test::SaveScreenshot(screenshot);
        const std::vector<MenuItem*>* level = &menu->Shown();
        MenuItem* found = nullptr;
        for (const std::string& label : choose) {
          found = nullptr;
          for (MenuItem* item : *level)
            if (item->Title() && label == item->Title()) found = item;
          if (!found) break;
          level = &found->Items();
        }
        if (found)
          menu->Choose(found);
        else
          menu->Dismiss();
      }
    };
    now += 1.0;
    QueueMousePosition(at.x, at.y);
    QueueMouseButton(1, 1);
    QueueMouseButton(1, 0);
    Frame();
    on_pump = [this](int) { AnswerBox(); };
    Frame();
    return seen;
  }
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
  std::vector<uint8_t> DemoData(const char (&subgroup)[5]) {
    for (const demo::DemoTag& t : demo::DemoCollectionTags())
      if (t.subgroup == FourCC(subgroup)) return t.data;
    return {};
  }
};

TEST_F(X256EditTest, TheCollectionGroupGetsTheCollectionEditor) {
  EXPECT_EQ(FindTagGroup(kCollectionGroup)->editor_factory, &NewX256Edit);
}

TEST_F(X256EditTest, OpensTheSpritesWithTheirTabsAndBothBrowsers) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  EXPECT_STREQ(editor->Title(), "Demo Sprites");
  EXPECT_EQ(editor->ClientSize().x, 575);
  EXPECT_EQ(editor->ClientSize().y, 360);
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_FALSE(editor->ShowsAlternatePlacement());
  TabWindow* tabs = editor->Tabs();
  EXPECT_STREQ(tabs->Title(), "Tabs");
  std::vector<std::string> titles;
  for (int i = 0; i < tabs->TabCount(); ++i) titles.push_back(tabs->Page(i)->Title());
  EXPECT_EQ(titles, (std::vector<std::string>{"Bitmaps", "Shadows", "Sequences", "Hue Changes",
                                              "Color Table", "Flags", "Optimize"}));
  EXPECT_EQ(tabs->CurrentTab(), 0);

  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  ASSERT_EQ(tabs->Page(0), bitmaps);
  EXPECT_EQ(bitmaps->Mode(), kBrowseBitmaps);
  EXPECT_STREQ(bitmaps->CountLabel()->Title(), "  6 Bitmaps:");
  EXPECT_STREQ(bitmaps->List()->Title(), "Bitmaps Table");
  EXPECT_STREQ(bitmaps->Grid()->Title(), "Bitmaps Grid");
  ListWindow* list = bitmaps->List();
  ASSERT_EQ(list->ColumnCount(), 4);
  std::vector<std::pair<std::string, int>> columns;
  for (int c = 0; c < 4; ++c) columns.push_back({list->Column(c).title, list->Column(c).width});
  EXPECT_EQ(columns, (std::vector<std::pair<std::string, int>>{
                         {"Name", 256}, {"Bits", 48}, {"Format", 40}, {"Dimensions", 128}}));
  ASSERT_EQ(list->ShownCount(), 6u);
  using Texts = std::vector<std::string>;
  EXPECT_EQ(RowTexts(bitmaps, 0), (Texts{"Body RAW 8", "8 bit", "RAW", "  32 x 32"}));
  EXPECT_EQ(RowTexts(bitmaps, 1), (Texts{"Body RLE 8", "8 bit", "RLE", "  27 x 41"}));
  EXPECT_EQ(RowTexts(bitmaps, 3), (Texts{"Body RLE 16", "16 bit", "RLE", "  33 x 29"}));
  EXPECT_EQ(RowTexts(bitmaps, 4), (Texts{"Ground Tile", "8 bit", "RAW", "  64 x 32"}));
  EXPECT_EQ(RowTexts(bitmaps, 5), (Texts{"Unused Odd", "8 bit", "RLE", "   5 x 3"}));
  // Only the bitmap that no frame uses is grey.
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(list->ShownRow(i)->colour, 0xFFFFFFFFu) << i;
  EXPECT_EQ(list->ShownRow(5)->colour, 0xFFC0C0C0u);
  test::SaveScreenshot("x256_bitmaps_table");

  X256BitmapBrowser* shadows = editor->ShadowBrowser();
  EXPECT_EQ(tabs->Page(1), shadows);
  EXPECT_EQ(shadows->Mode(), kBrowseShadows);
  EXPECT_STREQ(shadows->CountLabel()->Title(), "  1 Shadow:");
  ASSERT_EQ(shadows->List()->ShownCount(), 1u);
  EXPECT_EQ(RowTexts(shadows, 0), (Texts{"Body Shadow", "8 bit", "RAW", "  12 x 7"}));
  EXPECT_EQ(shadows->List()->ShownRow(0)->colour, 0xFFFFFFFFu);  // every frame's shadow
  ShowTab(editor, 1);
  ShowGrid(shadows);
  test::SaveScreenshot("x256_shadows_grid");
  // The tabs of the later parts are there, with nothing in them yet.
  ShowTab(editor, 2);
  EXPECT_TRUE(tabs->Page(2)->IsVisible());
  EXPECT_EQ(tabs->Page(2)->ChildCount(), 0);
}

TEST_F(X256EditTest, OpensTheHighColourAndTheEmptyCollections) {
  X256Edit* glows = Open("glow");
  ASSERT_TRUE(glows);
  X256BitmapBrowser* bitmaps = glows->BitmapBrowser();
  EXPECT_STREQ(bitmaps->CountLabel()->Title(), "  3 Bitmaps:");
  EXPECT_EQ(RowTexts(bitmaps, 0),
            (std::vector<std::string>{"Flare", "32 bit", "RAW", "  40 x 40"}));
  EXPECT_EQ(bitmaps->List()->ShownRow(2)->colour, 0xFFC0C0C0u);  // "Glow RLE" is in no frame
  EXPECT_STREQ(glows->ShadowBrowser()->CountLabel()->Title(), "  0 Shadows:");
  ShowGrid(bitmaps);

  X256Edit* empty = Open("empt");
  ASSERT_TRUE(empty);
  EXPECT_STREQ(empty->Title(), "Empty Collection");
  EXPECT_STREQ(empty->BitmapBrowser()->CountLabel()->Title(), "  0 Bitmaps:");
  EXPECT_STREQ(empty->ShadowBrowser()->CountLabel()->Title(), "  0 Shadows:");
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(CountLayer0("X256Edit"), 2);
}

TEST_F(X256EditTest, AColourMapIsRefused) {
  EXPECT_FALSE(Open("cmap"));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, "Unsupported");
  EXPECT_EQ(boxes[0].message,
            "The collection is a color map, which is currently not supported for editing.\n"
            "Use Morrow instead.");
  EXPECT_EQ(boxes[1].message, "The tag could not be loaded.");
  EXPECT_EQ(CountLayer0("X256Edit"), 0);
}

TEST_F(X256EditTest, ADamagedCollectionFailsToLoadWithAMessage) {
  EXPECT_FALSE(Open("brok"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message, "The tag could not be loaded.");
  EXPECT_EQ(CountLayer0("X256Edit"), 0);
}

TEST_F(X256EditTest, TheBitmapMenuHasEveryCommandInItsSubmenus) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  std::string seen = RightClickMenu(RowPoint(bitmaps->List(), 1), "x256_bitmap_menu");
  const std::string selected =
      "Export=1, Export Alpha=7, Export Plate=3, Export Alpha Plate=5, -, Replace=9, "
      "Replace Alpha=11, Replace from Plate=13, Replace Alpha from Plate=15, -, Remove Alpha=19, "
      "Format[Convert to RLE=21, Convert to RAW=22], Crop Transparency=25, "
      "Uncrop Transparency=27, -, Delete=17";
  const std::string all =
      "Export=2, Export Alpha=8, Export Plate=4, Export Alpha Plate=6, -, Replace=10, "
      "Replace Alpha=12, Replace from Plate=14, Replace Alpha from Plate=16, -, Remove Alpha=20, "
      "Format[Convert to RLE=23, Convert to RAW=24], Crop Transparency=26, "
      "Uncrop Transparency=28, -, Delete=18";
  EXPECT_EQ(seen, "Rename=0, Selected Bitmap[" + selected + "], All Bitmaps[" + all +
                      "], -, Add Bitmap(s) from File(s)=29, Add Bitmap(s) from Plate=30");
  EXPECT_EQ(bitmaps->SelectedBitmaps().size(), 1u);
  EXPECT_EQ(bitmaps->SelectedBitmaps()[0]->name, "Body RLE 8");

  // Two rows: no "Rename", the plural title.
  ListWindow* list = bitmaps->List();
  list->ToggleSelected(list->ShownRow(4));
  seen = RightClickMenu(RowPoint(list, 4), "");
  EXPECT_EQ(seen.rfind("Selected Bitmaps[", 0), 0u) << seen;
  // Nothing selected (a press on empty space below the rows): the "Selected" submenu is off.
  list->ClearSelection();
  Rect last = list->RowRect(5);
  seen = RightClickMenu(Point{last.x0 + 30, last.y1 + 40}, "");
  EXPECT_NE(seen.find("Selected Bitmaps[" + selected + "] (disabled), All Bitmaps["),
            std::string::npos)
      << seen;
  EXPECT_TRUE(boxes.empty());  // the commands show nothing yet

  // The empty collection: "All Bitmaps" is off too.
  X256Edit* empty = Open("empt");
  ASSERT_TRUE(empty);
  Rect area = empty->BitmapBrowser()->List()->ClientRect();
  seen = RightClickMenu(Point{area.x0 + 40, area.y0 + 60}, "");
  EXPECT_NE(seen.find("Selected Bitmaps["), std::string::npos);
  EXPECT_NE(seen.find("(disabled), All Bitmaps["), std::string::npos) << seen;
  EXPECT_NE(seen.find("Delete=18] (disabled)"), std::string::npos) << seen;
}

TEST_F(X256EditTest, TheShadowMenuFromTheGridHasTheShadowCommandsOnly) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  ShowTab(editor, 1);
  X256BitmapBrowser* shadows = editor->ShadowBrowser();
  ShowGrid(shadows);
  std::string seen = RightClickMenu(Centre(shadows->Grid()->CellRect(0)), "x256_shadow_menu");
  EXPECT_EQ(seen,
            "Rename=0, Selected Shadow[Export=1, -, Replace=9, -, Delete=17], "
            "All Shadows[Export=2, -, Replace=10, -, Delete=18], -, "
            "Add Shadow(s) from File(s)=29");
}

TEST_F(X256EditTest, EveryCommandReachesItsHookWithItsBitmaps) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  auto* browser =
      new RecordingBrowser(kBrowseBitmaps, &editor->GetCollection(), &editor->Textures());
  browser->SetFrame(Rect(20, 20, 620, 420));
  Frame();
  ListWindow* list = browser->List();
  list->ToggleSelected(list->ShownRow(1));
  list->ToggleSelected(list->ShownRow(3));
  const std::map<int, std::string> hooks = {{1, "Export"},
                                            {2, "Export"},
                                            {3, "ExportPlate"},
                                            {4, "ExportPlate"},
                                            {5, "ExportAlphaPlate"},
                                            {6, "ExportAlphaPlate"},
                                            {7, "ExportAlpha"},
                                            {8, "ExportAlpha"},
                                            {9, "Replace"},
                                            {10, "Replace"},
                                            {11, "ReplaceAlpha"},
                                            {12, "ReplaceAlpha"},
                                            {13, "ReplaceFromPlate"},
                                            {14, "ReplaceFromPlate"},
                                            {15, "ReplaceAlphaFromPlate"},
                                            {16, "ReplaceAlphaFromPlate"},
                                            {17, "Delete"},
                                            {18, "Delete"},
                                            {19, "RemoveAlpha"},
                                            {20, "RemoveAlpha"},
                                            {21, "ToRle"},
                                            {22, "ToRaw"},
                                            {23, "ToRle"},
                                            {24, "ToRaw"},
                                            {25, "Crop"},
                                            {26, "Crop"},
                                            {27, "Uncrop"},
                                            {28, "Uncrop"},
                                            {29, "ImportBitmaps"},
                                            {30, "ImportPlate"}};
  const std::set<int> all_ids = {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 23, 24, 26, 28};
  for (const auto& [id, hook] : hooks) {
    browser->calls.clear();
    browser->RunCommand(id);
    ASSERT_EQ(browser->calls.size(), 1u) << id;
    const RecordingBrowser::Call& call = browser->calls[0];
    EXPECT_EQ(call.hook, hook) << id;
    if (id >= 29) continue;
    EXPECT_EQ(call.all, all_ids.count(id) == 1) << id;
    if (call.all)
      EXPECT_EQ(call.names.size(), 6u) << id;
    else
      EXPECT_EQ(call.names, (std::vector<std::string>{"Body RLE 8", "Body RLE 16"})) << id;
  }
  // "Rename" needs exactly one bitmap.
  browser->calls.clear();
  browser->RunCommand(kCommandRename);
  EXPECT_TRUE(browser->calls.empty());
  list->ToggleSelected(list->ShownRow(3));
  browser->RunCommand(kCommandRename);
  ASSERT_EQ(browser->calls.size(), 1u);
  EXPECT_EQ(browser->calls[0].names, std::vector<std::string>{"Body RLE 8"});

  // Through the menu, and with the Delete key.
  browser->calls.clear();
  RightClickMenu(RowPoint(list, 4), "", {"Selected Bitmap", "Format", "Convert to RLE"});
  ASSERT_EQ(browser->calls.size(), 1u);
  EXPECT_EQ(browser->calls[0].hook, "ToRle");
  EXPECT_EQ(browser->calls[0].names, std::vector<std::string>{"Ground Tile"});
  Click(RowPoint(list, 4).x, RowPoint(list, 4).y);
  Tap(kKeyDelete);
  ASSERT_EQ(browser->calls.size(), 2u);
  EXPECT_EQ(browser->calls[1].hook, "Delete");

  // A shadow browser runs only the shadow commands.
  auto* shadows =
      new RecordingBrowser(kBrowseShadows, &editor->GetCollection(), &editor->Textures());
  shadows->List()->SelectAll();
  for (int id = 0; id <= 30; ++id) shadows->RunCommand(id);
  std::vector<std::string> reached;
  for (const auto& c : shadows->calls) reached.push_back(c.hook);
  EXPECT_EQ(reached, (std::vector<std::string>{"Rename", "Export", "Export", "Replace", "Replace",
                                               "Delete", "Delete", "ImportShadows"}));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(X256EditTest, DraggingRowsOfTheTableReachesTheMoveHook) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  auto* browser =
      new RecordingBrowser(kBrowseBitmaps, &editor->GetCollection(), &editor->Textures());
  browser->SetFrame(Rect(20, 20, 620, 420));
  Frame();
  ListWindow* list = browser->List();
  Point from = RowPoint(list, 0), to = RowPoint(list, 3);
  now += 1.0;
  QueueMousePosition(from.x, from.y);
  QueueMouseButton(0, 1);
  Frame();
  QueueMousePosition(from.x, from.y + 10);
  Frame();
  QueueMousePosition(to.x, to.y);
  Frame();
  QueueMouseButton(0, 0);
  Frame();
  ASSERT_EQ(browser->calls.size(), 1u);
  EXPECT_EQ(browser->calls[0].hook, "Move");
  EXPECT_EQ(browser->calls[0].names, std::vector<std::string>{"Body RAW 8"});
  EXPECT_EQ(browser->calls[0].before, 3);
}

TEST_F(X256EditTest, DoubleClickOpensOneBitmapWindowPerBitmap) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  int windows_changed = 0;
  struct Counter : has_slots<void> {
    int* count;
    void Count() { ++*count; }
  } counter;
  counter.count = &windows_changed;
  bitmaps->windows_changed.Connect(&counter, &Counter::Count);

  DoubleClick(RowPoint(bitmaps->List(), 0));
  ASSERT_EQ(bitmaps->BitmapWindows().size(), 1u);
  BitmapWindow* window = bitmaps->BitmapWindows()[0];
  EXPECT_EQ(windows_changed, 1);
  EXPECT_STREQ(window->Title(), "Body RAW 8");
  EXPECT_EQ(window->ClientSize().x, 250);
  EXPECT_EQ(window->ClientSize().y, 250);
  EXPECT_EQ(CountLayer0("BitmapWindow"), 1);
  // The bitmap at its size in the middle, with the palette.
  const CollectionBitmap* b = window->Bitmap();
  Rect r = window->BitmapRect();
  EXPECT_EQ(r.Width(), 32);
  EXPECT_EQ(Centre(r).x, Centre(window->ClientRect()).x);
  const Collection& c = editor->GetCollection();
  for (int y : {4, 16, 27})
    for (int x : {5, 16, 28}) {
      const uint8_t* px = b->Pixel(x, y);
      if (px[0] != 255) continue;
      test::Pixel p = At(r.x0 + x, r.y0 + y);
      EXPECT_EQ(p.r, c.palette[px[1]].r) << x << "," << y;
      EXPECT_EQ(p.g, c.palette[px[1]].g) << x << "," << y;
      EXPECT_EQ(p.b, c.palette[px[1]].b) << x << "," << y;
    }
  test::SaveScreenshot("x256_bitmap_window");

  // Again: the same window comes to the front.
  editor->BringToFront();
  Frame();
  DoubleClick(RowPoint(bitmaps->List(), 0));
  EXPECT_EQ(bitmaps->BitmapWindows().size(), 1u);
  EXPECT_EQ(CountLayer0("BitmapWindow"), 1);
  // Another bitmap, from the grid: a second window.
  editor->BringToFront();
  ShowGrid(bitmaps);
  DoubleClick(Centre(bitmaps->Grid()->CellRect(4)));
  ASSERT_EQ(bitmaps->BitmapWindows().size(), 2u);
  EXPECT_STREQ(bitmaps->BitmapWindows()[1]->Title(), "Ground Tile");
  // Closing a window is noticed; closing the editor closes the rest.
  TryClose(window);
  EXPECT_EQ(bitmaps->BitmapWindows().size(), 1u);
  EXPECT_EQ(windows_changed, 3);
  EXPECT_TRUE(TryClose(editor));
  EXPECT_EQ(CountLayer0("BitmapWindow"), 0);
}

TEST_F(X256EditTest, ThumbnailsAreDrawnWithThePaletteFromTexturesBuiltOnce) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  const size_t built_for_table = editor->Textures().BuildCount();
  EXPECT_EQ(built_for_table, 0u);  // the table draws no pictures
  ShowGrid(bitmaps);
  test::SaveScreenshot("x256_bitmaps_grid");
  const size_t built = editor->Textures().BuildCount();
  EXPECT_EQ(built, 6u);  // every cell is in view
  const Collection& c = editor->GetCollection();
  for (int index : {0, 4}) {
    const CollectionBitmap* b = bitmaps->Listed()[size_t(index)];
    Rect r = bitmaps->ThumbnailRect(index);
    ASSERT_FALSE(r.IsEmpty());
    const int scale = r.Width() / b->width;
    ASSERT_GE(scale, 1);
    EXPECT_EQ(r.Width(), b->width * scale);
    EXPECT_EQ(r.Height(), b->height * scale);
    int checked = 0;
    for (int y = 0; y < b->height; y += 3)
      for (int x = 0; x < b->width; x += 3) {
        const uint8_t* px = b->Pixel(x, y);
        if (px[0] != 255) continue;
        test::Pixel p = At(r.x0 + x * scale + scale / 2, r.y0 + y * scale + scale / 2);
        const PaletteColor& want = c.palette[px[1]];
        EXPECT_EQ(p.r, want.r) << b->name << " " << x << "," << y;
        EXPECT_EQ(p.g, want.g) << b->name << " " << x << "," << y;
        EXPECT_EQ(p.b, want.b) << b->name << " " << x << "," << y;
        ++checked;
      }
    EXPECT_GT(checked, 20);
  }
  // A frame with nothing to do draws nothing; drawing again builds nothing; a changed bitmap
  // is built again, alone.
  Frame();
  EXPECT_EQ(Frame(), 0);
  RequestRedraw();
  Frame();
  Frame();
  EXPECT_EQ(editor->Textures().BuildCount(), built);
  bitmaps->CollectionChanged({bitmaps->Listed()[1]}, false);
  Frame();
  EXPECT_EQ(editor->Textures().BuildCount(), built + 1);
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_STREQ(editor->Title(), "Demo Sprites*");
}

TEST_F(X256EditTest, ShadowThumbnailsAreGreyAndHighColourOnesInTheirOwnColours) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  ShowTab(editor, 1);
  X256BitmapBrowser* shadows = editor->ShadowBrowser();
  ShowGrid(shadows);
  const CollectionBitmap* shadow = shadows->Listed()[0];
  Rect r = shadows->ThumbnailRect(0);
  ASSERT_FALSE(r.IsEmpty());
  int scale = r.Width() / shadow->width, checked = 0;
  for (int y = 0; y < shadow->height; ++y)
    for (int x = 0; x < shadow->width; ++x) {
      const uint8_t* px = shadow->Pixel(x, y);
      if (px[0] != 255) continue;
      test::Pixel p = At(r.x0 + x * scale + scale / 2, r.y0 + y * scale + scale / 2);
      EXPECT_EQ(p.r, px[1]) << x << "," << y;
      EXPECT_EQ(p.g, px[1]) << x << "," << y;
      EXPECT_EQ(p.b, px[1]) << x << "," << y;
      ++checked;
    }
  EXPECT_GT(checked, 20);

  X256Edit* glows = Open("glow");
  ASSERT_TRUE(glows);
  X256BitmapBrowser* bitmaps = glows->BitmapBrowser();
  ShowGrid(bitmaps);
  test::SaveScreenshot("x256_high_colour_grid");
  const CollectionBitmap* flare = bitmaps->Listed()[0];
  ASSERT_TRUE(flare->IsHighColour());
  r = bitmaps->ThumbnailRect(0);
  ASSERT_FALSE(r.IsEmpty());
  scale = r.Width() / flare->width;
  checked = 0;
  for (int y = 0; y < flare->height; y += 2)
    for (int x = 0; x < flare->width; x += 2) {
      uint8_t rgba[4];
      HighColourPixelRgba(glows->GetCollection(), flare->Pixel(x, y), rgba);
      if (rgba[3] != 255) continue;
      test::Pixel p = At(r.x0 + x * scale + scale / 2, r.y0 + y * scale + scale / 2);
      EXPECT_EQ(p.r, rgba[0]) << x << "," << y;
      EXPECT_EQ(p.g, rgba[1]) << x << "," << y;
      EXPECT_EQ(p.b, rgba[2]) << x << "," << y;
      ++checked;
    }
  EXPECT_GT(checked, 20);
}

TEST_F(X256EditTest, ControlTSwitchesTheAlternatePlacement) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  CollectionInstance* in = c.sequences[0]->InstanceAt(0, 2);
  ASSERT_TRUE(in && (in->flags & kInstanceAlternateValid));
  CollectionBitmap* primary = in->bitmap;
  const int16_t reg_x = in->reg_x, reg_y = in->reg_y;
  EXPECT_EQ(primary->name, "Body RAW 16");
  auto control_t = [&] {
    Key(kKeyLeftControl, true);
    Tap('T');
    Key(kKeyLeftControl, false);
  };
  control_t();
  EXPECT_TRUE(editor->ShowsAlternatePlacement());
  EXPECT_EQ(in->bitmap->name, "Body RAW 8");
  EXPECT_EQ(in->reg_x, 7);
  EXPECT_EQ(in->reg_y, -3);
  EXPECT_EQ(in->alt_bitmap, primary);
  control_t();
  EXPECT_FALSE(editor->ShowsAlternatePlacement());
  EXPECT_EQ(in->bitmap, primary);
  EXPECT_EQ(in->reg_x, reg_x);
  EXPECT_EQ(in->reg_y, reg_y);
  // Instances without alternate fields are never touched.
  CollectionInstance* plain = c.sequences[0]->InstanceAt(0, 0);
  EXPECT_FALSE(plain->flags & kInstanceAlternateValid);
  CollectionBitmap* before = plain->bitmap;
  control_t();
  EXPECT_EQ(plain->bitmap, before);
}

TEST_F(X256EditTest, SavingWritesTheSameBytesAndClearsTheDirtyMark) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  editor->BitmapBrowser()->changed.Emit();
  EXPECT_TRUE(editor->IsDirty());
  EXPECT_STREQ(editor->Title(), "Demo Sprites*");
  ControlS();
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_STREQ(editor->Title(), "Demo Sprites");
  std::vector<uint8_t> want = DemoData("dspr");
  ASSERT_FALSE(want.empty());
  std::string data = LooseData(kCollectionGroup, "Demo Sprites");
  EXPECT_TRUE(data == std::string(want.begin(), want.end()));
  // The collection flags are the header's user data.
  TheCodex().PollLocalFolder(true);
  TagRecord* record = Find(".256", "dspr");
  ASSERT_TRUE(record && record->local);
  EXPECT_EQ(record->local->header.user_data, kCollectionForMonsters | kCollectionForScenery);
  EXPECT_EQ(record->local->header.version, kCollectionVersion);

  // The archived high-colour collection: its first save makes a local copy of the same bytes,
  // which opens again with the same bitmaps.
  X256Edit* glows = Open("glow");
  ASSERT_TRUE(glows);
  ControlS();
  want = DemoData("glow");
  data = LooseData(kCollectionGroup, "Glow Effects");
  EXPECT_TRUE(data == std::string(want.begin(), want.end()));
  EXPECT_TRUE(TryClose(glows));
  TheCodex().PollLocalFolder(true);
  glows = Open("glow");
  ASSERT_TRUE(glows);
  EXPECT_EQ(glows->GetCollection().bitmaps.size(), 3u);
  EXPECT_EQ(glows->GetCollection().bitmaps[0]->name, "Flare");
  ControlS();
  data = LooseData(kCollectionGroup, "Glow Effects");
  EXPECT_TRUE(data == std::string(want.begin(), want.end()));

  // The empty collection too.
  X256Edit* empty = Open("empt");
  ASSERT_TRUE(empty);
  ControlS();
  want = DemoData("empt");
  data = LooseData(kCollectionGroup, "Empty Collection");
  EXPECT_TRUE(data == std::string(want.begin(), want.end()));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(X256EditTest, ANewCollectionStartsEmptyAndSaves) {
  X256Edit* editor = dynamic_cast<X256Edit*>(CreateAndOpen(kCollectionGroup, "Fresh Sprites"));
  ASSERT_TRUE(editor);
  Frame();
  EXPECT_STREQ(editor->Title(), "Fresh Sprites*");
  EXPECT_EQ(editor->GetCollection().flags, kNewCollectionFlags);
  EXPECT_STREQ(editor->BitmapBrowser()->CountLabel()->Title(), "  0 Bitmaps:");
  ControlS();
  EXPECT_FALSE(editor->IsDirty());
  std::string data = LooseData(kCollectionGroup, "Fresh Sprites");
  ASSERT_GE(data.size(), 320u);
  Collection reloaded;
  TagHeader header;
  header.SetName("Fresh Sprites");
  header.user_data = kNewCollectionFlags;
  EXPECT_TRUE(LoadCollection(reinterpret_cast<const uint8_t*>(data.data()), data.size(), header,
                             CollectionLoadOptions(), &reloaded));
  EXPECT_TRUE(reloaded.bitmaps.empty());
}

}  // namespace
}  // namespace brae
