// The collection editor on the demo collections: opening each of them (and refusing the colour
// map and a damaged tag), the tab window, both bitmap browsers with their rows, count labels
// and context menus, thumbnails drawn with the palette, bitmap windows opened by a double
// click, the alternate placement on Control+T, and saving byte for byte.
#include <algorithm>
#include <map>
#include <set>

#include "collection/BitmapExport.h"
#include "collection/Collection.h"
#include "collection/CollectionFormat.h"
#include "collection/HueMath.h"
#include "collection/Plates.h"
#include "collection/ui/BitmapTextures.h"
#include "collection/ui/BitmapWindow.h"
#include "collection/ui/X256BitmapBrowser.h"
#include "collection/ui/X256Edit.h"
#include "collection/ui/X256SequenceBrowser.h"
#include "core/Prefs.h"
#include "editing/EditingFixture.h"
#include "media/MediaFile.h"
#include "media/ui/FileDialog.h"
#include "toolkit/Menu.h"
#include "toolkit/TabWindow.h"
#include "toolkit/TextPopup.h"

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
  // A mouse drag from one point to another, past the drag threshold first.
  void DragRow(Point from, Point to) {
    QueueMousePosition(from.x, from.y);
    QueueMouseButton(0, 1);
    Frame();
    QueueMousePosition(from.x, from.y + 10);
    Frame();
    QueueMousePosition(to.x, to.y);
    Frame();
    QueueMouseButton(0, 0);
    Frame();
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
  // ---- the scripted user in front of the file dialogs and the bitmap commands ----
  FileDialogWindow* Dialog() {
    const ModalEntry* top = TopModal();
    auto* d = top ? dynamic_cast<FileDialogWindow*>(top->window) : nullptr;
    return d && !d->IsClosed() ? d : nullptr;
  }
  static ListRow* RowNamed(FileDialogWindow* d, const std::string& text) {
    for (size_t i = 0; i < d->Entries()->ShownCount(); ++i)
      if (d->Entries()->ShownRow(i)->text == text) return d->Entries()->ShownRow(i);
    return nullptr;
  }
  // While a command runs: message boxes are answered as planned; the first file dialog seen is
  // prepared by act (its title noted) and then accepted with a click on its OK button.
  void UseDialog(std::function<void(FileDialogWindow*)> act) {
    dialog_title.clear();
    on_pump = [this, act, step = 0](int) mutable {
      AnswerBox();
      FileDialogWindow* d = Dialog();
      if (!d) return;
      ++step;
      if (step == 2) {
        dialog_title = d->Title() ? d->Title() : "";
        if (act) act(d);
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
  void ControlKey(int key) {
    Key(kKeyLeftControl, true);
    Tap(key);
    Key(kKeyLeftControl, false);
  }
  // Writes an 8-bit image with the given palette (pixels row by row).
  void WriteIndexed(const std::string& path, int w, int h, const CollectionPalette& palette,
                    const std::vector<uint8_t>& pixels, bool grey = false) {
    MediaFile f(path);
    f.image.format = grey ? PixelFormat::kGrey : PixelFormat::kIndexed;
    f.image.width = w;
    f.image.height = h;
    if (!grey) {
      f.image.palette.count = 256;
      for (int i = 0; i < 256; ++i)
        f.image.palette.entries[i] =
            Rgb{palette[size_t(i)].r, palette[size_t(i)].g, palette[size_t(i)].b};
    }
    f.image.pixels = pixels;
    ASSERT_TRUE(f.Write()) << path << " " << f.Error();
  }
  static std::vector<uint8_t> Saved(const Collection& c) {
    std::vector<uint8_t> data;
    EXPECT_TRUE(SaveCollection(c, &data));
    return data;
  }
  static std::vector<std::string> Names(const Collection& c) {
    std::vector<std::string> out;
    for (const auto& b : c.bitmaps) out.push_back(b->name);
    return out;
  }
  std::string ImageFolder() {
    std::string folder = dir_.Path() + "/images";
    std::filesystem::create_directories(folder);
    return folder;
  }
  std::string dialog_title;

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
  ShowTab(editor, 3);
  EXPECT_TRUE(tabs->Page(3)->IsVisible());
  EXPECT_EQ(tabs->Page(3)->ChildCount(), 0);
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
                      "], -, Edit in External Editor=31, Stop External Editing=32 (disabled), -, "
                      "Add Bitmap(s) from File(s)=29, Add Bitmap(s) from Plate=30");
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
            "Edit in External Editor=31, Stop External Editing=32 (disabled), -, "
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
  DragRow(from, to);
  ASSERT_EQ(browser->calls.size(), 1u);
  EXPECT_EQ(browser->calls[0].hook, "Move");
  EXPECT_EQ(browser->calls[0].names, std::vector<std::string>{"Body RAW 8"});
  EXPECT_EQ(browser->calls[0].before, 3);
}

// At an interface scale of 2: the same layout in logical pixels, rows chosen by clicks at device
// pixels, and a bitmap drawn with each of its pixels as a 2 x 2 block of its palette colour.
TEST_F(X256EditTest, AtScaleTwoTheLayoutStaysAndBitmapsStaySharp) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  editor->SetFrame(Rect(0, 0, 400, 300));
  Frame();
  const std::vector<Rect> at_one = test::LayoutOf(editor);
  SetUiScale(2.0f);
  Frame();
  EXPECT_EQ(test::LayoutOf(editor), at_one);
  ListWindow* list = editor->BitmapBrowser()->List();
  Point p = RowPoint(list, 1);
  test::QueueScaledClick(p.x, p.y, 2.0f);
  Frame();
  EXPECT_TRUE(list->ShownRow(1)->IsSelected());
  test::SaveScreenshot("x256_scale2");

  now += 1.0;
  p = RowPoint(list, 0);
  test::QueueScaledClick(p.x, p.y, 2.0f);
  test::QueueScaledClick(p.x, p.y, 2.0f);
  Frame();
  Frame();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  ASSERT_EQ(bitmaps->BitmapWindows().size(), 1u);
  BitmapWindow* window = bitmaps->BitmapWindows()[0];
  const CollectionBitmap* b = window->Bitmap();
  const Collection& c = editor->GetCollection();
  Rect r = window->BitmapRect();
  int checked = 0;
  for (int y : {4, 16, 27})
    for (int x : {5, 16, 28}) {
      const uint8_t* px = b->Pixel(x, y);
      if (px[0] != 255) continue;
      for (int d = 0; d < 4; ++d) {
        test::Pixel seen = At(2 * (r.x0 + x) + d % 2, 2 * (r.y0 + y) + d / 2);
        EXPECT_EQ(seen.r, c.palette[px[1]].r) << x << "," << y << " " << d;
        EXPECT_EQ(seen.g, c.palette[px[1]].g) << x << "," << y << " " << d;
        EXPECT_EQ(seen.b, c.palette[px[1]].b) << x << "," << y << " " << d;
      }
      ++checked;
    }
  EXPECT_GT(checked, 0);
  test::SaveScreenshot("x256_bitmap_window_scale2");
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
  const CollectionPalette preview = editor->Textures().PreviewPalette();
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
        // Drawn through the palette with the collection's hue changes applied.
        const PaletteColor& want = preview[px[1]];
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

// ---- the bitmap commands wired to the collection library ----------------------------------

TEST_F(X256EditTest, ImportingBitmapsThroughTheOpenDialogIsUndoneAndRedone) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  const std::string folder = ImageFolder();
  // Two images in the collection's own colours: index 0 makes the first RLE.
  std::vector<uint8_t> blob(6 * 4, 40), bar(3 * 5, 50);
  blob[0] = 0;
  WriteIndexed(folder + "/Red Blob.png", 6, 4, c.palette, blob);
  WriteIndexed(folder + "/Green Bar.bmp", 3, 5, c.palette, bar);
  SetPrefString("LastImageOpenPath", folder);
  SetPrefInt("LastImageOpenFormat", 0);
  const std::vector<uint8_t> before = Saved(c);
  const size_t count = c.bitmaps.size();

  UseDialog([this](FileDialogWindow* d) {
    // The dialog starts with the remembered filter (BMP); the user picks PNG and the file.
    EXPECT_TRUE(RowNamed(d, "Green Bar.bmp"));
    EXPECT_FALSE(RowNamed(d, "Red Blob.png"));
    d->FilterCombo()->ChooseRow(1);
    d->Entries()->Select(RowNamed(d, "Red Blob.png"), false);
  });
  editor->BitmapBrowser()->RunCommand(kCommandAddFromFiles);
  Frame();
  EXPECT_EQ(dialog_title, "Import Bitmaps");
  EXPECT_TRUE(boxes.empty());
  ASSERT_EQ(c.bitmaps.size(), count + 1);
  const CollectionBitmap* added = c.bitmaps.back().get();
  EXPECT_EQ(added->name, "Red Blob");
  EXPECT_EQ(added->width, 6);
  EXPECT_TRUE(added->IsRle());
  EXPECT_EQ(added->Pixel(1, 0)[1], 40);
  EXPECT_EQ(added->Pixel(0, 0)[0], 0);
  EXPECT_STREQ(editor->BitmapBrowser()->CountLabel()->Title(), "  7 Bitmaps:");
  EXPECT_TRUE(editor->IsDirty());
  const std::vector<uint8_t> after = Saved(c);

  // Then the BMP file.
  UseDialog([this](FileDialogWindow* d) {
    d->FilterCombo()->ChooseRow(0);
    d->Entries()->Select(RowNamed(d, "Green Bar.bmp"), false);
  });
  editor->BitmapBrowser()->RunCommand(kCommandAddFromFiles);
  Frame();
  ASSERT_EQ(c.bitmaps.size(), count + 2);
  EXPECT_EQ(c.bitmaps.back()->name, "Green Bar");
  EXPECT_FALSE(c.bitmaps.back()->IsRle());

  // Control+Z twice: the collection is as it was, byte for byte; Control+Y once: as after the
  // first import.
  ControlKey('Z');
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
  EXPECT_STREQ(editor->BitmapBrowser()->CountLabel()->Title(), "  6 Bitmaps:");
  ControlKey('Y');
  EXPECT_EQ(Saved(c), after);
  EXPECT_EQ(editor->BitmapBrowser()->Listed().back()->name, "Red Blob");

  // Saved and opened again: the same bytes.
  ControlS();
  EXPECT_FALSE(editor->IsDirty());
  std::string data = LooseData(kCollectionGroup, "Demo Sprites");
  EXPECT_TRUE(data == std::string(after.begin(), after.end()));
  EXPECT_TRUE(TryClose(editor));
  TheCodex().PollLocalFolder(true);
  editor = Open("dspr");
  ASSERT_TRUE(editor);
  EXPECT_EQ(Saved(editor->GetCollection()), after);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(X256EditTest, ImportingAFileWhoseColoursDoNotFitAddsNothingWhenDeclined) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  const std::string folder = ImageFolder();
  // 256 greys as its colour table: more new colours than the collection has free entries.
  CollectionPalette greys;
  for (size_t i = 0; i < greys.size(); ++i)
    greys[i] = PaletteColor{uint8_t(i), uint8_t(i), uint8_t(i)};
  WriteIndexed(folder + "/grey.png", 4, 4, greys, std::vector<uint8_t>(16, 7));
  SetPrefString("LastImageOpenPath", folder);
  SetPrefInt("LastImageOpenFormat", 1);
  const std::vector<uint8_t> before = Saved(c);
  UseDialog([this](FileDialogWindow* d) { d->Entries()->Select(RowNamed(d, "grey.png"), false); });
  editor->BitmapBrowser()->RunCommand(kCommandAddFromFiles);
  Frame();
  // Its colours do not fit the palette: the user declines to replace the colour table.
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message,
            "'grey.png': The image is not compatible with the existing color table.\nWould you "
            "like to replace the color table in the tag with the one in the file?");
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_FALSE(editor->Undos().CanUndo());
}

TEST_F(X256EditTest, ImportingAnImageNotPalettedAsksToConvertOrSkipIt) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  const std::string folder = ImageFolder();
  MediaFile photo(folder + "/photo.png");
  photo.image.format = PixelFormat::kRgb;
  photo.image.width = photo.image.height = 2;
  // Colours of the collection's own table, so that they merge without replacing it.
  const PaletteColor first = c.palette[40], last = c.palette[60];
  ASSERT_NE(first, last);
  photo.image.pixels = {first.r, first.g, first.b, last.r,  last.g,  last.b,
                        last.r,  last.g,  last.b,  first.r, first.g, first.b};
  ASSERT_TRUE(photo.Write()) << photo.Error();
  SetPrefString("LastImageOpenPath", folder);
  SetPrefInt("LastImageOpenFormat", 1);
  const std::vector<uint8_t> before = Saved(c);
  const size_t count = c.bitmaps.size();
  auto import_answering = [&](int answer) {
    boxes.clear();
    answers = {answer};
    UseDialog(
        [this](FileDialogWindow* d) { d->Entries()->Select(RowNamed(d, "photo.png"), false); });
    std::vector<std::string> buttons;
    auto answer_box = on_pump;
    on_pump = [&buttons, answer_box, this](int pumps) {
      const ModalEntry* top = TopModal();
      auto* box = top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
      if (box && !box->IsClosed() && buttons.empty()) {
        for (int i = 0; i < box->ButtonCount(); ++i) buttons.push_back(box->ButtonAt(i)->Title());
      }
      answer_box(pumps);
    };
    editor->BitmapBrowser()->RunCommand(kCommandAddFromFiles);
    Frame();
    return buttons;
  };

  // "Skip": the one box, nothing added.
  EXPECT_EQ(import_answering(1), (std::vector<std::string>{"Convert", "Skip"}));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message, "'photo.png': The image is not 8-bit paletted.");
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->IsDirty());

  // "Convert": the picture comes in, its colours found in the colour table.
  import_answering(0);
  ASSERT_EQ(boxes.size(), 1u) << boxes.back().message;
  ASSERT_EQ(c.bitmaps.size(), count + 1);
  const CollectionBitmap& added = *c.bitmaps.back();
  EXPECT_EQ(added.name, "photo");
  EXPECT_EQ(c.palette[added.Pixel(0, 0)[1]], first);
  EXPECT_EQ(c.palette[added.Pixel(1, 0)[1]], last);
  EXPECT_EQ(c.palette[added.Pixel(1, 1)[1]], first);
  EXPECT_TRUE(editor->IsDirty());
}

TEST_F(X256EditTest, ImportingShadowsAddsThemToTheShadowTab) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  const std::string folder = ImageFolder();
  std::vector<uint8_t> grey(5 * 3, 90);
  grey[2] = 0;
  WriteIndexed(folder + "/Long Shadow.png", 5, 3, c.palette, grey, true);
  SetPrefString("LastImageOpenPath", folder);
  SetPrefInt("LastImageOpenFormat", 1);
  ShowTab(editor, 1);
  UseDialog(
      [this](FileDialogWindow* d) { d->Entries()->Select(RowNamed(d, "Long Shadow.png"), false); });
  editor->ShadowBrowser()->RunCommand(kCommandAddFromFiles);
  Frame();
  EXPECT_EQ(dialog_title, "Import Shadows");
  EXPECT_TRUE(boxes.empty());
  ASSERT_EQ(editor->ShadowBrowser()->Listed().size(), 2u);
  const CollectionBitmap* shadow = editor->ShadowBrowser()->Listed()[1];
  EXPECT_EQ(shadow->name, "Long Shadow");
  EXPECT_TRUE(shadow->IsShadow());
  EXPECT_EQ(shadow->Pixel(0, 0)[1], 90);
  EXPECT_EQ(shadow->Pixel(2, 0)[0], 0);
  EXPECT_EQ(editor->BitmapBrowser()->Listed().size(), 6u);
  ControlKey('Z');
  EXPECT_EQ(editor->ShadowBrowser()->Listed().size(), 1u);
}

TEST_F(X256EditTest, ExportingEveryBitmapWritesThemIntoTheChosenFolderByName) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  const std::string folder = ImageFolder();
  std::filesystem::create_directories(folder + "/out");
  SetPrefString("LastImageFolderPath", folder);
  SetPrefInt("LastImageFolderFormat", 0);
  SetPrefInt("BitmapImportMappingMode", 0);
  std::vector<std::string> choice_labels;
  UseDialog([&](FileDialogWindow* d) {
    d->ShowFolder(folder + "/out");
    for (const DialogChoice& choice : d->Choices()) choice_labels.push_back(choice.label);
    d->ChoiceCombo(0)->ChooseRow(1);  // "PNG Image (*.png)"
    d->ChoiceCombo(1)->ChooseRow(1);  // "By Bitmap Name"
  });
  editor->BitmapBrowser()->RunCommand(kCommandExportAll);
  Frame();
  EXPECT_EQ(dialog_title, "Choose a destination folder");
  EXPECT_EQ(choice_labels, (std::vector<std::string>{"Target Format:", "Mode:"}));
  EXPECT_TRUE(boxes.empty());
  int mode = -1;
  EXPECT_TRUE(GetPrefInt("BitmapImportMappingMode", &mode));
  EXPECT_EQ(mode, 1);
  for (CollectionBitmap* b : editor->BitmapBrowser()->Listed()) {
    if (b->IsHighColour()) continue;
    MediaFile f(folder + "/out/" + b->name + ".png");
    ASSERT_TRUE(f.ReadPixels()) << b->name;
    EXPECT_EQ(f.image.format, PixelFormat::kIndexed);
    EXPECT_EQ(f.image.width, b->width);
    EXPECT_EQ(f.image.height, b->height);
    Image want = BitmapColourImage(c, *b);
    EXPECT_TRUE(f.image.pixels == want.pixels) << b->name;
  }
  // Nothing changed: nothing to undo.
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_FALSE(editor->Undos().CanUndo());
}

TEST_F(X256EditTest, ExportingOneBitmapProposesItsNameInTheSaveDialog) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  const std::string folder = ImageFolder();
  SetPrefString("LastImageSavePath", folder);
  SetPrefInt("LastImageSaveFormat", 0);
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  bitmaps->List()->Select(bitmaps->List()->ShownRow(1), false);
  std::string proposed;
  UseDialog([&](FileDialogWindow* d) { proposed = d->NameField()->Text(); });
  bitmaps->RunCommand(kCommandExportAlphaSelected);
  Frame();
  EXPECT_EQ(dialog_title, "Export Alpha");
  EXPECT_EQ(proposed, "Body RLE 8 alpha");
  MediaFile f(folder + "/Body RLE 8 alpha.bmp");
  ASSERT_TRUE(f.ReadPixels());
  EXPECT_EQ(f.image.width, 27);
  EXPECT_TRUE(f.image.pixels == BitmapAlphaImage(*bitmaps->Listed()[1]).pixels);
}

TEST_F(X256EditTest, ExportingAPlateShowsTheSaveDialogWithThePlateName) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  const std::string folder = ImageFolder();
  SetPrefString("LastImageSavePath", folder);
  SetPrefInt("LastImageSaveFormat", 1);
  std::string proposed;
  UseDialog([&](FileDialogWindow* d) {
    proposed = d->NameField()->Text();
    test::SaveScreenshot("x256_export_plate_dialog");
  });
  // Every 8-bit bitmap (the high-colour ones cannot go into a plate).
  editor->BitmapBrowser()->RunCommand(kCommandExportPlateAll);
  Frame();
  EXPECT_EQ(dialog_title, "Export Plate");
  EXPECT_EQ(proposed, "Demo Sprites plate");
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].message);
  ASSERT_TRUE(std::filesystem::exists(folder + "/Demo Sprites plate.png"));

  // The plate added back: one bitmap per cell, named after the file and the cell.
  Collection& c = editor->GetCollection();
  const size_t count = c.bitmaps.size();
  SetPrefString("LastImageOpenPath", folder);
  SetPrefInt("LastImageOpenFormat", 1);
  // The proposed name is accepted as it is (the PNG filter gives its extension).
  proposed.clear();
  UseDialog([&](FileDialogWindow* d) { proposed = d->NameField()->Text(); });
  editor->BitmapBrowser()->RunCommand(kCommandAddFromPlate);
  Frame();
  EXPECT_EQ(dialog_title, "Import Plate");
  EXPECT_EQ(proposed, "Demo Sprites plate");
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].message);
  ASSERT_EQ(c.bitmaps.size(), count * 2 - 1);  // the shadow is not in the plate
  EXPECT_EQ(c.bitmaps[count]->name, "Demo Sprites plate #0000");
  ShowGrid(editor->BitmapBrowser());
  editor->BitmapBrowser()->Grid()->ScrollToCell(int(count));
  Frame();
  test::SaveScreenshot("x256_plate_imported_grid");
  EXPECT_EQ(c.bitmaps[count]->width, c.bitmaps[0]->width);
  EXPECT_EQ(c.bitmaps[count]->height, c.bitmaps[0]->height);
  ControlKey('Z');
  EXPECT_EQ(c.bitmaps.size(), count);
}

TEST_F(X256EditTest, CroppingIsUndoneAndRedoneByteForByte) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  // Uncropped first to 64 pixels, so that there is something to crop.
  input_text = "64";
  answers = {0};
  bitmaps->RunCommand(kCommandUncropAll);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Enter Uncropped Size (pixels)");
  EXPECT_EQ(c.bitmaps[0]->width, 64);
  const std::vector<uint8_t> uncropped = Saved(c);
  // The instance of "Body RLE 8" (RLE: cropped; RAW 64 × 64 bitmaps are left alone).
  CollectionInstance* rle = c.sequences[0]->InstanceAt(0, 1);
  ASSERT_EQ(rle->bitmap->name, "Body RLE 8");
  const int16_t reg_x = rle->reg_x;

  boxes.clear();
  answers = {0};  // "Crop", then "OK" for the report
  bitmaps->RunCommand(kCommandCropAll);
  Frame();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].message, "Are you sure you want to crop all bitmaps?");
  EXPECT_NE(boxes[1].message.find("cropped ("), std::string::npos) << boxes[1].message;
  const std::vector<uint8_t> cropped = Saved(c);
  EXPECT_NE(cropped, uncropped);
  EXPECT_LT(c.sequences[0]->InstanceAt(0, 1)->reg_x, reg_x);

  ControlKey('Z');
  EXPECT_EQ(Saved(c), uncropped);
  EXPECT_EQ(c.sequences[0]->InstanceAt(0, 1)->reg_x, reg_x);
  EXPECT_EQ(bitmaps->Listed()[0]->width, 64);
  ControlKey('Y');
  EXPECT_EQ(Saved(c), cropped);
  ControlKey('Z');
  ControlKey('Z');
  std::vector<uint8_t> original = DemoData("dspr");
  EXPECT_EQ(Saved(c), original);

  // An invalid size says so; Cancel says nothing.
  boxes.clear();
  input_text = "5000";
  answers = {0};
  bitmaps->RunCommand(kCommandUncropAll);
  Frame();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].message, "Invalid size for uncropping.");
  boxes.clear();
  answers = {1};
  bitmaps->RunCommand(kCommandUncropAll);
  Frame();
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(Saved(c), original);
}

TEST_F(X256EditTest, RenamingInTheTableEditsTheNameInPlace) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  ListWindow* list = bitmaps->List();
  list->Select(list->ShownRow(2), false);
  Frame();
  Rect popup_rect;
  on_pump = [&, typed = false](int) mutable {
    AnswerBox();
    const ModalEntry* top = TopModal();
    auto* popup = top ? dynamic_cast<TextPopup*>(top->window) : nullptr;
    if (!popup || popup->IsClosed() || typed) return;
    typed = true;
    popup_rect = popup->Frame();
    EXPECT_EQ(popup->Box()->Text(), "Body RAW 16");
    for (char ch : std::string("Hero")) QueueCharEvent(static_cast<uint8_t>(ch));
    QueueKeyEvent(kKeyEnter, 1);
    QueueKeyEvent(kKeyEnter, 0);
  };
  bitmaps->RunCommand(kCommandRename);
  Frame();
  EXPECT_TRUE(boxes.empty());  // no input box: the name was edited in place
  // Over the name cell of the row.
  Rect row = list->RowRect(2);
  EXPECT_EQ(popup_rect.y0, row.y0);
  EXPECT_EQ(popup_rect.x0, row.x0);
  EXPECT_EQ(popup_rect.Width(), 256);
  EXPECT_EQ(bitmaps->Listed()[2]->name, "Hero");
  EXPECT_EQ(RowTexts(bitmaps, 2)[0], "Hero");
  EXPECT_TRUE(editor->IsDirty());
  // The instances keep their bitmap; undo brings the name back.
  EXPECT_EQ(editor->GetCollection().sequences[0]->InstanceAt(0, 2)->bitmap->name, "Hero");
  ControlKey('Z');
  EXPECT_EQ(bitmaps->Listed()[2]->name, "Body RAW 16");
  ControlKey('Y');
  EXPECT_EQ(bitmaps->Listed()[2]->name, "Hero");

  // In the grid the input box asks; names keep 63 characters.
  ShowGrid(bitmaps);
  bitmaps->Grid()->SetCurrentCell(0, false);
  input_text = std::string(70, 'n');
  answers = {0};
  on_pump = [this](int) { AnswerBox(); };
  bitmaps->RunCommand(kCommandRename);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Enter Bitmap Name");
  EXPECT_EQ(bitmaps->Listed()[0]->name, std::string(63, 'n'));
}

TEST_F(X256EditTest, DeletingAsksFirstAndLeavesTheViewsWithoutTheBitmap) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  ListWindow* list = bitmaps->List();
  list->Select(list->ShownRow(0), false);
  const std::vector<uint8_t> before = Saved(c);
  // Cancel: nothing happens.
  answers = {1};
  bitmaps->RunCommand(kCommandDeleteSelected);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message, "Are you sure you want to remove the selected bitmap?");
  EXPECT_EQ(Saved(c), before);
  // Delete.
  answers = {0};
  on_pump = [this, shot = false](int) mutable {
    const ModalEntry* top = TopModal();
    if (!shot && top && dynamic_cast<MessageBoxWindow*>(top->window)) {
      shot = true;  // drawn once before it is answered
      return;
    }
    if (shot && top && dynamic_cast<MessageBoxWindow*>(top->window) && boxes.size() == 1)
      test::SaveScreenshot("x256_delete_question");
    AnswerBox();
  };
  bitmaps->RunCommand(kCommandDeleteSelected);
  on_pump = [this](int) { AnswerBox(); };
  Frame();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(c.bitmaps.size(), 6u);
  EXPECT_EQ(bitmaps->Listed()[0]->name, "Body RLE 8");
  EXPECT_STREQ(bitmaps->CountLabel()->Title(), "  5 Bitmaps:");
  EXPECT_EQ(c.sequences[0]->InstanceAt(0, 0)->bitmap, nullptr);
  // Undone: the bitmap and every reference are back.
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
  EXPECT_EQ(c.sequences[0]->InstanceAt(0, 0)->bitmap->name, "Body RAW 8");
  // The Delete key in the table asks too.
  list->Select(list->ShownRow(5), false);
  ASSERT_EQ(bitmaps->Listed()[5]->name, "Unused Odd");
  answers = {0};
  boxes.clear();
  list->SetFocus(1);
  Tap(kKeyDelete);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message, "Are you sure you want to remove the selected bitmap?");
  EXPECT_EQ(bitmaps->Listed().size(), 5u);
}

TEST_F(X256EditTest, DraggingRowsMovesTheBitmapsAndTheInstancesFollow) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  ListWindow* list = bitmaps->List();
  const std::vector<uint8_t> before = Saved(c);
  std::vector<std::string> instance_names;
  for (int v = 0; v < 5; ++v)
    instance_names.push_back(c.sequences[0]->InstanceAt(0, v)->bitmap->name);
  Point from = RowPoint(list, 0), to = RowPoint(list, 3);
  now += 1.0;
  DragRow(from, to);
  EXPECT_EQ(Names(c),
            (std::vector<std::string>{"Body RLE 8", "Body RAW 16", "Body RAW 8", "Body RLE 16",
                                      "Ground Tile", "Body Shadow", "Unused Odd"}));
  EXPECT_EQ(RowTexts(bitmaps, 2)[0], "Body RAW 8");
  for (int v = 0; v < 5; ++v)
    EXPECT_EQ(c.sequences[0]->InstanceAt(0, v)->bitmap->name, instance_names[size_t(v)]);
  // Saved, the instances store the new indices and open again on the same bitmaps.
  std::vector<uint8_t> moved = Saved(c);
  Collection reloaded;
  TagHeader header;
  header.SetName("Demo Sprites");
  ASSERT_TRUE(
      LoadCollection(moved.data(), moved.size(), header, CollectionLoadOptions(), &reloaded));
  for (int v = 0; v < 5; ++v)
    EXPECT_EQ(reloaded.sequences[0]->InstanceAt(0, v)->bitmap->name, instance_names[size_t(v)]);
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
}

TEST_F(X256EditTest, AnOpenBitmapWindowGuardsCropReplaceAndDelete) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  DoubleClick(RowPoint(bitmaps->List(), 0));
  ASSERT_EQ(bitmaps->BitmapWindows().size(), 1u);
  editor->BringToFront();
  Frame();
  const std::vector<uint8_t> before = Saved(c);
  bitmaps->List()->Select(bitmaps->List()->ShownRow(0), false);
  for (int command : {kCommandCropSelected, kCommandUncropAll, kCommandDeleteAll,
                      kCommandReplaceSelected, kCommandReplaceFromPlateAll}) {
    boxes.clear();
    bitmaps->RunCommand(command);
    Frame();
    ASSERT_EQ(boxes.size(), 1u) << command;
    const char* action = command == kCommandDeleteAll ? "deleting"
                         : command == kCommandCropSelected || command == kCommandUncropAll
                             ? "cropping"
                             : "replacing";
    EXPECT_EQ(boxes[0].message, std::string("The bitmap \"Body RAW 8\" is currently open. "
                                            "Please close it before ") +
                                    action + ".");
  }
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->IsDirty());
  // Another bitmap is not guarded.
  bitmaps->List()->Select(bitmaps->List()->ShownRow(1), false);
  boxes.clear();
  answers = {0};
  bitmaps->RunCommand(kCommandConvertToRawSelected);
  Frame();
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(bitmaps->Listed()[1]->IsRle());
  EXPECT_EQ(RowTexts(bitmaps, 1)[2], "RAW");
  CollectionBitmap* converted = bitmaps->Listed()[1];
  ControlKey('Z');
  EXPECT_TRUE(bitmaps->Listed()[1]->IsRle());
  EXPECT_EQ(RowTexts(bitmaps, 1)[2], "RLE");
  // The bitmaps the undo did not touch keep their objects: the open window stays; the
  // converted one is a new object.
  ASSERT_EQ(bitmaps->BitmapWindows().size(), 1u);
  EXPECT_EQ(bitmaps->BitmapWindows()[0]->Bitmap(), c.bitmaps[0].get());
  EXPECT_NE(bitmaps->Listed()[1], converted);
  ControlKey('Y');
  EXPECT_FALSE(bitmaps->Listed()[1]->IsRle());
  EXPECT_EQ(bitmaps->BitmapWindows().size(), 1u);
}

TEST_F(X256EditTest, ReplacingFromFilesByOrderAndByNameThroughTheDialog) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  ListWindow* list = bitmaps->List();
  const std::string folder = ImageFolder();
  WriteIndexed(folder + "/New Body.png", 8, 6, c.palette, std::vector<uint8_t>(48, 44));
  std::vector<uint8_t> mask(27 * 41, 255);
  mask[0] = 128;
  WriteIndexed(folder + "/Body RLE 8 alpha.png", 27, 41, c.palette, mask, true);
  WriteIndexed(folder + "/Nobody alpha.png", 4, 4, c.palette, std::vector<uint8_t>(16, 9), true);
  SetPrefString("LastImageOpenPath", folder);
  SetPrefInt("LastImageOpenFormat", 1);
  SetPrefInt("BitmapImportMappingMode", 1);
  const std::vector<uint8_t> before = Saved(c);
  CollectionBitmap* first = c.bitmaps[0].get();

  // By order: one file for the one selected bitmap, which keeps its place and references.
  list->Select(list->ShownRow(0), false);
  std::vector<std::string> labels;
  UseDialog([&](FileDialogWindow* d) {
    for (const DialogChoice& choice : d->Choices()) labels.push_back(choice.label);
    EXPECT_EQ(d->ChoiceCombo(0)->Text(), "By Name");
    d->ChoiceCombo(0)->ChooseRow(0);
    d->Entries()->Select(RowNamed(d, "New Body.png"), false);
  });
  bitmaps->RunCommand(kCommandReplaceSelected);
  Frame();
  EXPECT_EQ(dialog_title, "Import replacement bitmap");
  EXPECT_EQ(labels, std::vector<std::string>{"Replace:"});
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].message);
  int mode = -1;
  EXPECT_TRUE(GetPrefInt("BitmapImportMappingMode", &mode));
  EXPECT_EQ(mode, 0);
  ASSERT_EQ(c.bitmaps.size(), 7u);
  EXPECT_EQ(c.bitmaps[0]->name, "New Body");
  EXPECT_EQ(c.bitmaps[0]->width, 8);
  EXPECT_EQ(c.bitmaps[0].get(), first);
  EXPECT_EQ(c.sequences[0]->InstanceAt(0, 0)->bitmap, first);
  EXPECT_EQ(RowTexts(bitmaps, 0)[3], "   8 x 6");
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);

  // Alphas by name: "Body RLE 8" finds its mask, "Body RAW 8" does not.
  list->Select(list->ShownRow(0), false);
  list->Select(list->ShownRow(1), true);
  boxes.clear();
  UseDialog([&](FileDialogWindow* d) {
    d->ChoiceCombo(0)->ChooseRow(1);
    d->Entries()->Select(RowNamed(d, "Body RLE 8 alpha.png"), false);
    d->Entries()->Select(RowNamed(d, "Nobody alpha.png"), true);
  });
  bitmaps->RunCommand(kCommandReplaceAlphaSelected);
  Frame();
  EXPECT_EQ(dialog_title, "Import replacement alphas");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message, "The following bitmaps were not matched by name: Body RAW 8.");
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->Undos().CanUndo());

  // Only the bitmap that has its mask.
  list->Select(list->ShownRow(1), false);
  boxes.clear();
  UseDialog([&](FileDialogWindow* d) {
    d->Entries()->Select(RowNamed(d, "Body RLE 8 alpha.png"), false);
  });
  bitmaps->RunCommand(kCommandReplaceAlphaSelected);
  Frame();
  EXPECT_EQ(dialog_title, "Import replacement alpha");
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].message);
  EXPECT_EQ(c.bitmaps[1]->Pixel(0, 0)[0], 128);
  EXPECT_EQ(RowTexts(bitmaps, 1)[1], "16 bit");
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
}

TEST_F(X256EditTest, ReplacingFromAPlateOfTheWrongCountChangesNothing) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  ListWindow* list = bitmaps->List();
  const std::string folder = ImageFolder();
  ASSERT_TRUE(ExportPlate(c, {0, 1}, PlateOptions(), folder + "/two.png"));
  SetPrefString("LastImageOpenPath", folder);
  SetPrefInt("LastImageOpenFormat", 1);
  const std::vector<uint8_t> before = Saved(c);
  for (size_t row : {0, 1, 2}) list->Select(list->ShownRow(row), row != 0);
  UseDialog([&](FileDialogWindow* d) { d->Entries()->Select(RowNamed(d, "two.png"), false); });
  bitmaps->RunCommand(kCommandReplaceFromPlateSelected);
  Frame();
  EXPECT_EQ(dialog_title, "Import Plate");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message,
            "Number of images in plate (2) does not match the expected value of 3.");
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->IsDirty());

  // Two selected: the plate's cells replace them in order.
  list->Select(list->ShownRow(1), false);
  list->Select(list->ShownRow(0), true);
  boxes.clear();
  UseDialog([&](FileDialogWindow* d) { d->Entries()->Select(RowNamed(d, "two.png"), false); });
  bitmaps->RunCommand(kCommandReplaceFromPlateSelected);
  Frame();
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].message);
  EXPECT_EQ(c.bitmaps[0]->name, "Body RAW 8");
  EXPECT_EQ(c.bitmaps[1]->width, 27);
  EXPECT_TRUE(editor->IsDirty());
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
}

TEST_F(X256EditTest, ImportingWithAnUnreadableFileAddsNone) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  const std::string folder = ImageFolder();
  WriteIndexed(folder + "/Good.png", 4, 4, c.palette, std::vector<uint8_t>(16, 40));
  test::WriteFile(folder + "/broken.png", "not a picture");
  SetPrefString("LastImageOpenPath", folder);
  SetPrefInt("LastImageOpenFormat", 1);
  const std::vector<uint8_t> before = Saved(c);
  UseDialog([this](FileDialogWindow* d) {
    d->Entries()->Select(RowNamed(d, "Good.png"), false);
    d->Entries()->Select(RowNamed(d, "broken.png"), true);
  });
  editor->BitmapBrowser()->RunCommand(kCommandAddFromFiles);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message,
            "Some of the selected files could not be read (inaccessable or invalid format).");
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->IsDirty());
  EXPECT_FALSE(editor->Undos().CanUndo());
}

TEST_F(X256EditTest, RemoveAlphaAndConvertFromTheContextMenuAreUndone) {
  X256Edit* editor = Open("dspr");
  ASSERT_TRUE(editor);
  Collection& c = editor->GetCollection();
  X256BitmapBrowser* bitmaps = editor->BitmapBrowser();
  const std::vector<uint8_t> before = Saved(c);
  ASSERT_EQ(RowTexts(bitmaps, 2)[1], "16 bit");
  RightClickMenu(RowPoint(bitmaps->List(), 2), "", {"Selected Bitmap", "Remove Alpha"});
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(RowTexts(bitmaps, 2)[1], "8 bit");
  EXPECT_TRUE(editor->IsDirty());
  RightClickMenu(RowPoint(bitmaps->List(), 0), "", {"All Bitmaps", "Format", "Convert to RLE"});
  for (CollectionBitmap* b : bitmaps->Listed()) EXPECT_TRUE(b->IsRle()) << b->name;
  ControlKey('Z');
  EXPECT_EQ(RowTexts(bitmaps, 0)[2], "RAW");
  EXPECT_EQ(RowTexts(bitmaps, 2)[1], "8 bit");
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
  EXPECT_EQ(RowTexts(bitmaps, 2)[1], "16 bit");
  // Nothing more to undo.
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
}

// ---- the Sequences tab ------------------------------------------------------------------------

std::vector<std::string> SequenceNames(const Collection& c) {
  std::vector<std::string> out;
  for (const auto& s : c.sequences) out.push_back(s->name);
  return out;
}

std::vector<std::string> SequenceRows(X256SequenceBrowser* browser) {
  std::vector<std::string> out;
  for (size_t i = 0; i < browser->ShownCount(); ++i) out.push_back(browser->ShownRow(i)->text);
  return out;
}

class X256SequenceBrowserTest : public X256EditTest {
 protected:
  X256SequenceBrowser* OpenSequences(X256Edit** editor_out) {
    X256Edit* editor = Open("dspr");
    *editor_out = editor;
    if (!editor) return nullptr;
    ShowTab(editor, 2);
    return editor->SequenceBrowser();
  }
  // While a command runs, the in-place rename pop-up gets the text typed and Enter.
  void TypeIntoRenamePopup(const std::string& text, std::string* shown = nullptr) {
    on_pump = [this, text, shown, typed = false](int) mutable {
      AnswerBox();
      const ModalEntry* top = TopModal();
      auto* popup = top ? dynamic_cast<TextPopup*>(top->window) : nullptr;
      if (!popup || popup->IsClosed() || typed) return;
      typed = true;
      if (shown) *shown = popup->Box()->Text();
      popup->Box()->SetText("");
      for (char ch : text) QueueCharEvent(static_cast<uint8_t>(ch));
      QueueKeyEvent(kKeyEnter, 1);
      QueueKeyEvent(kKeyEnter, 0);
    };
  }
};

TEST_F(X256SequenceBrowserTest, TheTabListsTheSequencesInCollectionOrderWithTheirMenu) {
  X256Edit* editor = nullptr;
  X256SequenceBrowser* browser = OpenSequences(&editor);
  ASSERT_TRUE(browser);
  EXPECT_EQ(editor->Tabs()->Page(2), browser);
  EXPECT_STREQ(browser->Title(), "Sequences");
  EXPECT_EQ(SequenceRows(browser), (std::vector<std::string>{"Walk", "Ground", "No Frames"}));
  std::string seen = RightClickMenu(RowPoint(browser, 1), "x256_sequence_menu");
  EXPECT_EQ(seen, "Rename=0, Duplicate=1, Delete=2, -, New Sequence=3");
  EXPECT_EQ(browser->SelectedIndices(), std::vector<size_t>{1});
  // Two rows: only "Delete" and "New Sequence".
  browser->Select(browser->ShownRow(0), false);
  browser->ToggleSelected(browser->ShownRow(2));
  seen = RightClickMenu(RowPoint(browser, 2), "");
  EXPECT_EQ(seen, "Rename=0 (disabled), Duplicate=1 (disabled), Delete=2, -, New Sequence=3");
  EXPECT_FALSE(editor->IsDirty());
}

TEST_F(X256SequenceBrowserTest, NewSequenceIsAppendedAndRenamedAndUndone) {
  X256Edit* editor = nullptr;
  X256SequenceBrowser* browser = OpenSequences(&editor);
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  const std::vector<uint8_t> before = Saved(c);
  std::string proposed;
  TypeIntoRenamePopup("Run", &proposed);
  browser->RunCommand(kSequenceNew);
  Frame();
  EXPECT_EQ(proposed, "New Sequence");
  EXPECT_EQ(SequenceNames(c), (std::vector<std::string>{"Walk", "Ground", "No Frames", "Run"}));
  EXPECT_EQ(SequenceRows(browser), SequenceNames(c));
  EXPECT_EQ(browser->SelectedIndices(), std::vector<size_t>{3});
  const CollectionSequence& s = *c.sequences[3];
  EXPECT_EQ(s.FrameCount(), 1);
  EXPECT_EQ(s.ViewCount(), 1);
  EXPECT_EQ(s.header.flags, kSequenceHasFrames);
  EXPECT_TRUE(editor->IsDirty());
  // The rename, then the new sequence, are undone and redone.
  ControlKey('Z');
  EXPECT_EQ(c.sequences[3]->name, "New Sequence");
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
  EXPECT_EQ(SequenceRows(browser), (std::vector<std::string>{"Walk", "Ground", "No Frames"}));
  ControlKey('Y');
  ControlKey('Y');
  EXPECT_EQ(SequenceRows(browser),
            (std::vector<std::string>{"Walk", "Ground", "No Frames", "Run"}));
}

TEST_F(X256SequenceBrowserTest, DuplicateInsertsACopyAfterTheOriginalAndIsUndone) {
  X256Edit* editor = nullptr;
  X256SequenceBrowser* browser = OpenSequences(&editor);
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  const std::vector<uint8_t> before = Saved(c);
  CollectionSequence* ground = c.sequences[1].get();
  RightClickMenu(RowPoint(browser, 0), "", {"Duplicate"});
  EXPECT_EQ(SequenceNames(c),
            (std::vector<std::string>{"Walk", "Walk copy", "Ground", "No Frames"}));
  EXPECT_EQ(SequenceRows(browser), SequenceNames(c));
  const CollectionSequence& walk = *c.sequences[0];
  const CollectionSequence& copy = *c.sequences[1];
  ASSERT_EQ(copy.FrameCount(), walk.FrameCount());
  ASSERT_EQ(copy.ViewCount(), walk.ViewCount());
  for (int f = 0; f < walk.FrameCount(); ++f) {
    EXPECT_EQ(copy.frames[size_t(f)].shadow.bitmap, walk.frames[size_t(f)].shadow.bitmap);
    for (int v = 0; v < walk.ViewCount(); ++v)
      EXPECT_EQ(copy.frames[size_t(f)].views[size_t(v)]->bitmap,
                walk.frames[size_t(f)].views[size_t(v)]->bitmap);
  }
  EXPECT_TRUE(editor->IsDirty());
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
  EXPECT_EQ(c.sequences[1].get(), ground);  // the others keep their objects
  ControlKey('Y');
  EXPECT_EQ(SequenceNames(c),
            (std::vector<std::string>{"Walk", "Walk copy", "Ground", "No Frames"}));
}

TEST_F(X256SequenceBrowserTest, DeleteAsksToConfirmAndIsUndone) {
  X256Edit* editor = nullptr;
  X256SequenceBrowser* browser = OpenSequences(&editor);
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  const std::vector<uint8_t> before = Saved(c);
  browser->Select(browser->ShownRow(0), false);
  browser->ToggleSelected(browser->ShownRow(2));
  // Cancel: nothing happens.
  answers = {1};
  browser->RunCommand(kSequenceDelete);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Confirm Delete");
  EXPECT_EQ(boxes[0].message, "Are you sure you want to remove the selected sequences?");
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->IsDirty());
  // Delete.
  answers = {0};
  boxes.clear();
  browser->RunCommand(kSequenceDelete);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(SequenceNames(c), std::vector<std::string>{"Ground"});
  EXPECT_EQ(SequenceRows(browser), std::vector<std::string>{"Ground"});
  EXPECT_TRUE(editor->IsDirty());
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
  EXPECT_EQ(SequenceRows(browser), (std::vector<std::string>{"Walk", "Ground", "No Frames"}));
  ControlKey('Y');
  EXPECT_EQ(SequenceNames(c), std::vector<std::string>{"Ground"});
  ControlKey('Z');
  // One row: the question in the singular, from the Delete key.
  browser->Select(browser->ShownRow(1), false);
  answers = {0};
  boxes.clear();
  browser->SetFocus(1);
  Tap(kKeyDelete);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message, "Are you sure you want to remove the selected sequence?");
  EXPECT_EQ(SequenceNames(c), (std::vector<std::string>{"Walk", "No Frames"}));
}

TEST_F(X256SequenceBrowserTest, DeletingAnOpenSequenceIsRefused) {
  X256Edit* editor = nullptr;
  X256SequenceBrowser* browser = OpenSequences(&editor);
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  const std::vector<uint8_t> before = Saved(c);
  browser->is_open = [](size_t index) { return index == 1; };
  browser->Select(browser->ShownRow(1), false);
  browser->RunCommand(kSequenceDelete);
  Frame();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].message,
            "The sequence \"Ground\" is currently open. Please close it before deleting.");
  EXPECT_EQ(Saved(c), before);
  EXPECT_FALSE(editor->Undos().CanUndo());
}

TEST_F(X256SequenceBrowserTest, RenamingEditsTheNameInPlaceAndIsUndone) {
  X256Edit* editor = nullptr;
  X256SequenceBrowser* browser = OpenSequences(&editor);
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  browser->Select(browser->ShownRow(1), false);
  std::string shown;
  TypeIntoRenamePopup("Floor", &shown);
  browser->RunCommand(kSequenceRename);
  Frame();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(shown, "Ground");
  EXPECT_EQ(c.sequences[1]->name, "Floor");
  EXPECT_EQ(SequenceRows(browser)[1], "Floor");
  ControlKey('Z');
  EXPECT_EQ(c.sequences[1]->name, "Ground");
  EXPECT_EQ(SequenceRows(browser)[1], "Ground");
}

TEST_F(X256SequenceBrowserTest, DraggingRowsReordersTheSequencesAndIsUndone) {
  X256Edit* editor = nullptr;
  X256SequenceBrowser* browser = OpenSequences(&editor);
  ASSERT_TRUE(browser);
  Collection& c = editor->GetCollection();
  const std::vector<uint8_t> before = Saved(c);
  Point from = RowPoint(browser, 0), to = RowPoint(browser, 2);
  now += 1.0;
  DragRow(from, to);
  EXPECT_EQ(SequenceNames(c), (std::vector<std::string>{"Ground", "Walk", "No Frames"}));
  EXPECT_EQ(SequenceRows(browser), SequenceNames(c));
  EXPECT_TRUE(editor->IsDirty());
  ControlKey('Z');
  EXPECT_EQ(Saved(c), before);
  EXPECT_EQ(SequenceRows(browser), (std::vector<std::string>{"Walk", "Ground", "No Frames"}));
  ControlKey('Y');
  EXPECT_EQ(SequenceNames(c), (std::vector<std::string>{"Ground", "Walk", "No Frames"}));
}

TEST_F(X256SequenceBrowserTest, DoubleClickingARowAsksForItsEditor) {
  X256Edit* editor = nullptr;
  X256SequenceBrowser* browser = OpenSequences(&editor);
  ASSERT_TRUE(browser);
  std::vector<std::string> opened;
  browser->open_editor = [&](CollectionSequence* s) { opened.push_back(s->name); };
  DoubleClick(RowPoint(browser, 1));
  EXPECT_EQ(opened, std::vector<std::string>{"Ground"});
  EXPECT_FALSE(editor->IsDirty());
}

}  // namespace
}  // namespace brae
