// The archive browser in a real window on a generated game folder, driven with the mouse and
// the keyboard as a user drives it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "GuiHarness.h"
#include "TempDir.h"
#include "app/RootMenu.h"
#include "app/Startup.h"
#include "core/Prefs.h"
#include "editing/TagEdit.h"
#include "editing/TagInfoWindow.h"
#include "editing/TextEdit.h"
#include "editing/browser/ArchiveBrowser.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Input.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

TagEdit* NoEditor(TagRecord*) {
  return nullptr;
}

demo::DemoTag Tag(const char (&group)[5], const char (&id)[5], const std::string& name,
                  uint16_t version = 1) {
  demo::DemoTag t;
  t.group = demo::Code(group);
  t.subgroup = demo::Code(id);
  t.name = name;
  t.data.assign(8, 'x');
  t.version = version;
  return t;
}

class BrowserWindow : public test::GuiTest {
 protected:
  void SetUp() override {
    test::GuiTest::SetUp();
    if (!platform::MainWindow()) return;
    for (const char* g : {"text", "mesh", "unit"})
      SetGroupEditorFactory(MakeFourCC(g[0], g[1], g[2], g[3]), &NoEditor);
    game_.Archive("tags", "base", 3).tags = {
        Tag("text", "aaaa", "Alpha"), Tag("text", "bbbb", "Beta"),
        Tag("mesh", "mold", "Old Mesh", 10), Tag("mesh", "mnew", "New Mesh", 11),
        Tag("scen", "tree", "Tree")};
    game_.Archive("plugins", "addon", 6, 5).tags = {Tag("unit", "warr", "Warrior")};
    game_.Archive("plugins", "spare", 1).tags = {Tag("unit", "spar", "Spare")};
    game_.AddLocal(Tag("text", "loca", "Local Text"));
    ASSERT_TRUE(game_.Write(dir_.Path()));
    ThePrefs().Clear();
    TheCodex().LoadCodex(dir_.Path());
    TheArchiveBrowserHooks().open_tag = [this](TagRecord* r) {
      opened_.push_back(FourCCToString(r->subgroup));
    };
    browser_ = ShowArchiveBrowser();
    browser_->SetFrame(Rect(20, 20, 780, 580));
    Frame();
  }
  void TearDown() override {
    if (platform::MainWindow()) {
      CloseArchiveBrowser();
      Frame();
      TheArchiveBrowserHooks() = ArchiveBrowserHooks();
      for (int i = 0; i < kTagGroupCount; ++i) TagGroupTable()[i].editor_factory = nullptr;
      TheCodex().ShutdownCodex();
      ThePrefs().Clear();
    }
    test::GuiTest::TearDown();
  }
  ListRow* TagRow(const char (&id)[5]) { return browser_->RowOf(FindAny(id)); }
  TagRecord* FindAny(const char (&id)[5]) {
    std::vector<TagRecord*> all;
    TheCodex().ListTags(&all);
    for (TagRecord* r : all)
      if (r->subgroup == FourCC(id)) return r;
    return nullptr;
  }
  void ClickRow(ListWindow* list, ListRow* row) {
    ASSERT_TRUE(row);
    list->ScrollToRow(row);
    Frame();
    for (size_t i = 0; i < list->ShownCount(); ++i) {
      if (list->ShownRow(i) != row) continue;
      Rect r = list->RowRect(i);
      Click(r.x0 + 40, (r.y0 + r.y1) / 2);
      return;
    }
    FAIL() << "row not shown";
  }
  // Right-clicks the row and chooses the context menu item with this text.
  std::vector<std::string> RightClickChoose(ListWindow* list, ListRow* row,
                                            const std::string& choice) {
    std::vector<std::string> items;
    int menu_pumps = 0;
    list->ScrollToRow(row);
    Frame();
    Rect r;
    for (size_t i = 0; i < list->ShownCount(); ++i)
      if (list->ShownRow(i) == row) r = list->RowRect(i);
    on_pump = [&](int) {
      const ModalEntry* top = TopModal();
      auto* menu = top ? dynamic_cast<Menu*>(top->window) : nullptr;
      if (!menu || !items.empty() || ++menu_pumps < 3) return;  // drawn first
      for (MenuItem* item : menu->Shown()) {
        std::string text = item->IsSeparator() ? "-" : item->Title() ? item->Title() : "";
        if (!item->IsEnabled()) text += " (disabled)";
        items.push_back(text);
      }
      test::SaveScreenshot("archive-browser-menu");
      for (MenuItem* item : menu->Shown())
        if (item->Title() && choice == item->Title()) menu->Choose(item);
    };
    QueueMousePosition(r.x0 + 30, (r.y0 + r.y1) / 2);
    QueueMouseButton(1, 1);
    QueueMouseButton(1, 0);
    Frame();
    on_pump = nullptr;
    Frame();
    return items;
  }
  void Control(int key) {
    Key(kKeyLeftControl, true);
    Tap(key);
    Key(kKeyLeftControl, false);
  }

  test::TempDir dir_;
  demo::DemoGame game_;
  ArchiveBrowser* browser_ = nullptr;
  std::vector<std::string> opened_;
};

TEST_F(BrowserWindow, ShowsArchivesAndTagsAndOpensWithEnter) {
  ListWindow* active = browser_->ActiveList();
  ASSERT_EQ(active->RowCount(), 5u);  // base, addon, local, foundation, combined
  EXPECT_EQ(active->ShownRow(0)->text, "base");
  EXPECT_EQ(active->ShownRow(4)->text, "combined");
  EXPECT_EQ(active->SelectedCount(), 1u);
  EXPECT_TRUE(active->ShownRow(4)->IsSelected());
  EXPECT_EQ(browser_->InactiveList()->RowCount(), 1u);
  ListWindow* tree = browser_->TagTree();
  EXPECT_EQ(tree->Roots().size(), 3u);  // Meshes, Text, Units
  EXPECT_EQ(tree->Roots()[1]->Cell(3), "Text (3)");
  ListRow* local = TagRow("loca");
  ASSERT_TRUE(local);
  EXPECT_EQ(local->colour, 0xFF0090FFu);  // orange, red in the low byte
  EXPECT_EQ(tree->CellText(local, 13), "local folder");
  EXPECT_EQ(TagRow("mold")->colour, 0xFF7F7F7Fu);
  test::SaveScreenshot("archive-browser");

  tree->SetFocus();
  ClickRow(tree, TagRow("aaaa"));
  Tap(kKeyEnter);
  EXPECT_EQ(opened_, (std::vector<std::string>{"aaaa"}));
  // The old mesh is dimmed: neither Enter nor Control+O opens it.
  ClickRow(tree, TagRow("mold"));
  Tap(kKeyEnter);
  Control('O');
  EXPECT_EQ(opened_.size(), 1u);
  ClickRow(tree, TagRow("mnew"));
  Control('O');
  EXPECT_EQ(opened_, (std::vector<std::string>{"aaaa", "mnew"}));
  // Control+T shows the groups without editors; the selection survives the rebuild.
  Control('T');
  EXPECT_TRUE(browser_->Model().ShowHiddenGroups());
  EXPECT_EQ(tree->Roots().size(), 4u);
  EXPECT_EQ(tree->SelectedCount(), 1u);
  EXPECT_TRUE(TagRow("mnew")->IsSelected());
}

// The browser and the real text editor together: Enter opens the tag, typing and Control+S
// write the loose file, and the tree then shows the tag as the local folder's, in orange.
TEST_F(BrowserWindow, SavedTextTagShowsAsLocalFolder) {
  SetGroupEditorFactory(FourCC("text"), NewTextEdit);
  TheArchiveBrowserHooks().open_tag = [](TagRecord* r) { OpenTag(r); };
  ListWindow* tree = browser_->TagTree();
  tree->SetFocus();
  ClickRow(tree, TagRow("bbbb"));
  Tap(kKeyEnter);
  auto* editor = dynamic_cast<TextEdit*>(FindOpenEditor(FindAny("bbbb")));
  ASSERT_TRUE(editor);
  EXPECT_EQ(tree->CellText(TagRow("bbbb"), 13), "base");
  for (char c : std::string("More ")) {
    QueueCharEvent(static_cast<unsigned char>(c));
    Frame();
  }
  EXPECT_TRUE(editor->IsDirty());
  Key(kKeyLeftControl, true);
  Tap('S');
  Key(kKeyLeftControl, false);
  EXPECT_FALSE(editor->IsDirty());
  ASSERT_TRUE(fs::exists(dir_.Path() + "/local/text/Beta"));
  Frame();  // the pump's poll of the local folder and the listener
  TheCodex().PollLocalFolder(true);
  Frame();
  ASSERT_TRUE(TagRow("bbbb"));
  EXPECT_EQ(tree->CellText(TagRow("bbbb"), 13), "local folder");
  EXPECT_EQ(TagRow("bbbb")->colour, 0xFF0090FFu);
  editor->Close();
  Frame();
}

// A click on the "Name" header sorts by name descending; the order outlasts a rebuild.
TEST_F(BrowserWindow, HeaderSortOutlastsARebuild) {
  ListWindow* tree = browser_->TagTree();
  auto text_names = [&] {
    std::vector<std::string> names;
    for (ListRow* root : tree->Roots())
      if (root->Cell(3).rfind("Text", 0) == 0)
        for (ListRow* row : root->children) names.push_back(tree->CellText(row, 3));
    return names;
  };
  EXPECT_EQ(text_names(), (std::vector<std::string>{"Alpha", "Beta", "Local Text"}));
  Rect client = tree->ClientRect();
  Click(client.x0 + 40, client.y0 + 4);
  EXPECT_EQ(text_names(), (std::vector<std::string>{"Local Text", "Beta", "Alpha"}));
  tree->SetFocus();
  Control('T');  // shows the hidden groups: a full rebuild
  EXPECT_EQ(tree->Roots().size(), 4u);
  EXPECT_EQ(text_names(), (std::vector<std::string>{"Local Text", "Beta", "Alpha"}));
}

TEST_F(BrowserWindow, SelectingAnArchiveNarrowsTheTree) {
  ListWindow* active = browser_->ActiveList();
  ClickRow(active, active->ShownRow(1));  // addon
  Frame();
  ListWindow* tree = browser_->TagTree();
  ASSERT_EQ(tree->Roots().size(), 1u);
  EXPECT_EQ(tree->Roots()[0]->Cell(3), "Units (1)");
  test::SaveScreenshot("archive-browser-addon");
}

TEST_F(BrowserWindow, DeleteKeyAsksAndRemovesTheLocalTag) {
  ListWindow* tree = browser_->TagTree();
  tree->SetFocus();
  ClickRow(tree, TagRow("loca"));
  std::string question;
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    auto* box = top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
    if (!box || !question.empty()) return;
    question = std::string(box->Title());
    test::SaveScreenshot("archive-browser-delete");
    box->Choose(0);  // "Delete"
  };
  Tap(kKeyDelete);
  on_pump = nullptr;
  EXPECT_EQ(question, "Confirm Deletion");
  TheCodex().PollLocalFolder(true);
  Frame();
  EXPECT_FALSE(fs::exists(dir_.Path() + "/local/text/Local Text"));
  EXPECT_EQ(TagRow("loca"), nullptr);
}

TEST_F(BrowserWindow, TagTreeMenuCopiesToLocal) {
  ListWindow* tree = browser_->TagTree();
  std::vector<std::string> items = RightClickChoose(tree, TagRow("aaaa"), "Copy To Local (cmd-K)");
  EXPECT_EQ(items,
            (std::vector<std::string>{"Open (enter)", "Get Info (cmd-I)", "Copy To Local (cmd-K)",
                                      "Duplicate (cmd-D)", "Delete (del)", "Find Usages (cmd-U)",
                                      "-", "Toggle Hidden Groups (cmd-T)"}));
  EXPECT_TRUE(fs::exists(dir_.Path() + "/local/text/Alpha"));
  TheCodex().PollLocalFolder(true);
  Frame();
  ASSERT_TRUE(TagRow("aaaa"));
  EXPECT_EQ(browser_->TagTree()->CellText(TagRow("aaaa"), 13), "local folder");
}

TEST_F(BrowserWindow, ArchiveMenuDeactivatesTheSelection) {
  ListWindow* active = browser_->ActiveList();
  ClickRow(active, active->ShownRow(1));  // addon
  std::vector<std::string> items =
      RightClickChoose(active, active->ShownRow(1), "Deactivate Selection");
  EXPECT_EQ(items, (std::vector<std::string>{"Default Working Set", "Deactivate Selection",
                                             "Disassemble Archive"}));
  EXPECT_EQ(browser_->InactiveList()->RowCount(), 2u);
  EXPECT_EQ(active->RowCount(), 4u);
  EXPECT_TRUE(active->ShownRow(3)->IsSelected());  // "combined"
  EXPECT_EQ(TagRow("warr"), nullptr);
  std::vector<std::string> set;
  ThePrefs().GetStringList("CodexWorkingSet", &set);
  EXPECT_EQ(set, (std::vector<std::string>{"base"}));
}

TEST_F(BrowserWindow, AddArchivesJoinTheWorkingSet) {
  demo::DemoArchive more;
  more.file_name = "more";
  more.kind = 1;
  more.tags = {Tag("text", "more", "More Text")};
  std::string path = dir_.Path() + "/elsewhere/more";
  test::WriteBytes(path, demo::ArchiveBytes(more));
  AddArchivesToBrowser({path});
  Frame();
  ListWindow* active = browser_->ActiveList();
  ASSERT_EQ(active->RowCount(), 6u);
  EXPECT_TRUE(TagRow("more"));
  std::vector<std::string> set;
  ThePrefs().GetStringList("CodexWorkingSet", &set);
  EXPECT_EQ(set, (std::vector<std::string>{"base", "addon", "more"}));
}

TEST_F(BrowserWindow, ReloadingThePluginsKeepsTheWorkingSet) {
  ListWindow* active = browser_->ActiveList();
  ClickRow(active, active->ShownRow(1));  // addon
  RightClickChoose(active, active->ShownRow(1), "Deactivate Selection");
  ClickRow(browser_->InactiveList(), browser_->InactiveList()->ShownRow(1));  // spare
  RightClickChoose(browser_->InactiveList(), browser_->InactiveList()->ShownRow(1),
                   "Activate Selection");
  // The reload command: the browser closes, the archives reload, the browser comes back and
  // restores the working set it saved.
  TheStartupHooks().open_archive_browser = [] { ShowArchiveBrowser(); };
  TheStartupHooks().close_archive_browser = [] { CloseArchiveBrowser(); };
  ArchiveBrowser* old_browser = browser_;
  ASSERT_TRUE(RunRootCommand(kCmdReloadPluginsFolder));
  EXPECT_TRUE(old_browser->IsClosed());
  browser_ = TheArchiveBrowser();
  ASSERT_TRUE(browser_);
  EXPECT_NE(browser_, old_browser);
  Frame();
  TheStartupHooks() = StartupHooks();
  std::vector<std::string> active_names, inactive_names;
  for (size_t i = 0; i < browser_->ActiveList()->ShownCount(); ++i)
    active_names.push_back(browser_->ActiveList()->ShownRow(i)->text);
  for (size_t i = 0; i < browser_->InactiveList()->ShownCount(); ++i)
    inactive_names.push_back(browser_->InactiveList()->ShownRow(i)->text);
  EXPECT_EQ(active_names,
            (std::vector<std::string>{"base", "spare", "local", "foundation", "combined"}));
  EXPECT_EQ(inactive_names, (std::vector<std::string>{"addon"}));
  EXPECT_TRUE(TagRow("spar"));
  EXPECT_FALSE(TagRow("warr"));
}

TEST_F(BrowserWindow, PlacementIsSavedOnCloseAndRestored) {
  browser_->SetFrame(Rect(60, 70, 700, 500));
  Frame();
  CloseArchiveBrowser();
  Frame();
  EXPECT_EQ(TheArchiveBrowser(), nullptr);
  browser_ = ShowArchiveBrowser();
  Frame();
  EXPECT_EQ(browser_->ParentRelativeFrame().x0, 60);
  EXPECT_EQ(browser_->ParentRelativeFrame().y0, 70);
  std::vector<std::string> set;
  EXPECT_TRUE(ThePrefs().GetStringList("CodexWorkingSet", &set));
  EXPECT_EQ(set, (std::vector<std::string>{"base", "addon"}));
  // Shutdown deletes the window tree without closing each window: the placement is kept too.
  browser_->SetFrame(Rect(90, 80, 700, 500));
  ShutdownUi();
  InitUi(true);
  int state = -1, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  std::string text = ThePrefs().FormatText();
  EXPECT_NE(text.find("ArchiveBrowserPlacement"), std::string::npos);
  struct Probe : PlacementTarget {
    int* out[5];
    void GetPlacement(int*, int*, int*, int*, int*) const override {}
    void SetPlacement(int s, int a, int b, int c, int d) override {
      *out[0] = s, *out[1] = a, *out[2] = b, *out[3] = c, *out[4] = d;
    }
    void GetScreenSize(int* w, int* h) const override { *w = 800, *h = 600; }
  } probe;
  probe.out[0] = &state, probe.out[1] = &x0, probe.out[2] = &y0, probe.out[3] = &x1,
  probe.out[4] = &y1;
  ThePrefs().GetWindowPlacement(&probe, "ArchiveBrowserPlacement", false);
  EXPECT_EQ(x0, 90);
  EXPECT_EQ(y0, 80);
}

// Answers every message box that opens while the command runs: records "title: message|field"
// and presses the button given for it (by title), after typing into the field when asked.
struct BoxScript {
  std::vector<std::string> seen;
  std::map<std::string, int> button;
  std::map<std::string, std::string> typed;
};

void Answer(std::function<void(int)>& on_pump, BoxScript* script,
            const std::function<void()>& command) {
  on_pump = [script](int) {
    const ModalEntry* top = TopModal();
    auto* box = top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
    if (!box) return;
    std::string title = box->Title() ? box->Title() : "";
    std::string entry = title;
    if (box->InputField()) entry += "|" + box->InputField()->Text();
    script->seen.push_back(entry);
    test::SaveScreenshot("archive-browser-box-" + std::to_string(script->seen.size()));
    if (box->InputField() && script->typed.count(title))
      box->InputField()->SetText(script->typed[title].c_str());
    box->Choose(script->button.count(title) ? script->button[title] : 0);
  };
  command();
  on_pump = nullptr;
}

TEST_F(BrowserWindow, FilterFieldNarrowsTheTreeAsTheUserTypes) {
  TextBox* filter = browser_->FilterField();
  ASSERT_TRUE(filter);
  Rect f = filter->Frame();
  Click(f.x0 + 10, (f.y0 + f.y1) / 2);
  for (char c : std::string("WAR")) QueueCharEvent(unsigned(c));
  Frame();
  Frame();
  ListWindow* tree = browser_->TagTree();
  ASSERT_EQ(tree->Roots().size(), 1u);
  EXPECT_EQ(tree->Roots()[0]->Cell(3), "Units (1)");
  test::SaveScreenshot("archive-browser-filter");
  Tap(kKeyBackspace);
  Tap(kKeyBackspace);
  Tap(kKeyBackspace);
  Frame();
  EXPECT_EQ(tree->Roots().size(), 3u);
}

TEST_F(BrowserWindow, DuplicateOneAsksTheNameThreeAskNothing) {
  ListWindow* tree = browser_->TagTree();
  tree->SetFocus();
  ClickRow(tree, TagRow("aaaa"));
  BoxScript cancel;
  cancel.button["Enter Name for Duplicate Tag"] = 1;
  Answer(on_pump, &cancel, [&] { Control('D'); });
  EXPECT_EQ(cancel.seen, (std::vector<std::string>{"Enter Name for Duplicate Tag|Alpha copy"}));
  EXPECT_FALSE(fs::exists(dir_.Path() + "/local/text/Alpha copy"));

  ClickRow(tree, TagRow("aaaa"));
  BoxScript named;
  named.typed["Enter Name for Duplicate Tag"] = "Omega";
  Answer(on_pump, &named, [&] { Control('D'); });
  EXPECT_EQ(named.seen.size(), 1u);
  EXPECT_TRUE(fs::exists(dir_.Path() + "/local/text/Omega"));

  TheCodex().PollLocalFolder(true);
  Frame();
  tree->ClearSelection();
  for (const char* id : {"aaaa", "bbbb", "warr"})
    tree->ToggleSelected(browser_->RowOf(FindAny(*reinterpret_cast<const char(*)[5]>(id))));
  BoxScript none;
  Answer(on_pump, &none, [&] { browser_->RunTagCommand(kBrowserDuplicate); });
  EXPECT_TRUE(none.seen.empty());
  EXPECT_TRUE(fs::exists(dir_.Path() + "/local/text/Alpha copy"));
  EXPECT_TRUE(fs::exists(dir_.Path() + "/local/text/Beta copy"));
  EXPECT_TRUE(fs::exists(dir_.Path() + "/local/units/Warrior copy"));
}

TEST_F(BrowserWindow, DeleteRefusesATagInUse) {
  ListWindow* tree = browser_->TagTree();
  tree->SetFocus();
  ClickRow(tree, TagRow("loca"));
  int editor = 0;
  TheCodex().AddTagUser(FindAny("loca"), kUserEditor, &editor);
  BoxScript script;
  Answer(on_pump, &script, [&] { Tap(kKeyDelete); });
  TheCodex().RemoveTagUser(FindAny("loca"), kUserEditor, &editor);
  EXPECT_EQ(script.seen, (std::vector<std::string>{"Confirm Deletion", "Can't delete tag."}));
  EXPECT_TRUE(fs::exists(dir_.Path() + "/local/text/Local Text"));
}

TEST_F(BrowserWindow, DisassembleWritesEveryTagIntoTheChosenFolder) {
  ListWindow* active = browser_->ActiveList();
  ClickRow(active, active->ShownRow(0));  // base
  std::string folder = dir_.Path() + "/unpacked";
  BoxScript script;
  script.typed["Choose Destination Folder"] = folder;
  Answer(on_pump, &script, [&] { browser_->RunArchiveCommand(kBrowserDisassemble, true); });
  EXPECT_EQ(script.seen.size(), 1u);
  EXPECT_TRUE(fs::exists(folder + "/text/Alpha"));
  EXPECT_TRUE(fs::exists(folder + "/meshes/Old Mesh"));
}

// The names of the tag rows of one group, as the tree shows them.
std::vector<std::string> RowNames(ArchiveBrowser* browser, uint32_t group) {
  std::vector<std::string> names;
  for (const GroupView& view : browser->Model().VisibleGroups())
    if (view.group == group)
      for (const TagItem* item : view.tags) names.push_back(item->row.header.Name());
  return names;
}

// The user gives the local collection "Walker" of the demo game a new name and a new tagid in
// one apply: Control+I, typing into both fields, Control+S, Control+W. One row remains, for the
// file on disk, through reloads of the local and plugins folders; deleting it deletes that file
// and nothing else.
TEST_F(BrowserWindow, RenameWithNewTagidLeavesOneRowWhoseDeleteTakesOnlyItsFile) {
  CloseArchiveBrowser();
  Frame();
  test::TempDir demo_dir;
  demo::DemoGame demo = demo::MakeDemoGame();
  demo::DemoTag walker = demo::DemoCollectionTags()[3];  // the empty collection's data
  walker.subgroup = demo::Code("walk");
  walker.name = "Walker";
  demo.AddLocal(walker);
  ASSERT_TRUE(demo.Write(demo_dir.Path()));
  ThePrefs().Clear();
  TheCodex().LoadCodex(demo_dir.Path());
  const uint32_t group = FourCC(".256");
  SetGroupEditorFactory(group, &NoEditor);
  TheArchiveBrowserHooks().open_tag_info = [](TagRecord* r) { TagInfoWindow::Open(r); };
  browser_ = ShowArchiveBrowser();
  browser_->SetFrame(Rect(10, 10, 790, 590));
  Frame();
  const std::vector<std::string> before = RowNames(browser_, group);
  ListWindow* tree = browser_->TagTree();
  tree->SetFocus();
  ClickRow(tree, TagRow("walk"));
  Control('I');
  TagUser user{};
  ASSERT_TRUE(TheCodex().FindTagUser(FindAny("walk"), 0, &user));
  ASSERT_EQ(user.kind, kUserInfo);
  auto* info = static_cast<const TagInfoWindow*>(user.pointer);
  auto type = [&](const std::string& text) {
    for (char c : text) {
      QueueCharEvent(static_cast<unsigned char>(c));
      Frame();
    }
  };
  Tap(kKeyEnd);
  type(" Two");
  Tap(kKeyTab);
  Tap(kKeyEnd);
  for (int i = 0; i < 4; ++i) Tap(kKeyBackspace);
  type("wlk2");
  EXPECT_STREQ(info->Title(), "Tag Info: Walker Two*");
  BoxScript script;
  Answer(on_pump, &script, [&] { Control('S'); });
  EXPECT_TRUE(script.seen.empty());
  EXPECT_STREQ(info->Title(), "Tag Info: Walker Two");
  test::SaveScreenshot("archive-browser-rename-retag");
  Control('W');
  Frame();
  ASSERT_TRUE(RunRootCommand(kCmdReloadLocalFolder));
  Frame();
  TheStartupHooks().open_archive_browser = [] { ShowArchiveBrowser(); };
  TheStartupHooks().close_archive_browser = [] { CloseArchiveBrowser(); };
  ASSERT_TRUE(RunRootCommand(kCmdReloadPluginsFolder));
  TheStartupHooks() = StartupHooks();
  browser_ = TheArchiveBrowser();
  ASSERT_TRUE(browser_);
  Frame();

  std::vector<std::string> expected = before;
  expected.erase(std::find(expected.begin(), expected.end(), "Walker"));
  expected.push_back("Walker Two");
  std::vector<std::string> names = RowNames(browser_, group);
  std::sort(expected.begin(), expected.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
  EXPECT_FALSE(TheCodex().FindTag(group, FourCC("walk")));
  const std::string moved = TheCodex().LocalTagPath(group, "Walker Two");
  EXPECT_TRUE(fs::exists(moved));
  EXPECT_FALSE(fs::exists(TheCodex().LocalTagPath(group, "Walker")));

  tree = browser_->TagTree();
  tree->SetFocus();
  ClickRow(tree, TagRow("wlk2"));
  Answer(on_pump, &script, [&] { Tap(kKeyDelete); });
  EXPECT_EQ(script.seen, (std::vector<std::string>{"Confirm Deletion"}));
  Frame();
  EXPECT_FALSE(fs::exists(moved));
  expected.erase(std::find(expected.begin(), expected.end(), "Walker Two"));
  names = RowNames(browser_, group);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
  EXPECT_TRUE(fs::exists(TheCodex().LocalTagPath(group, "Demo Sprites")));
  CloseArchiveBrowser();
  Frame();
  TheCodex().ShutdownCodex();
}

// The whole demo game, as scripts/run shows it, with the hidden groups shown too.
// At an interface scale of 2 the browser keeps its layout in logical pixels, and a click at the
// device pixels of a row selects that row.
TEST_F(BrowserWindow, AtScaleTwoTheLayoutStaysAndClicksMeetTheirRows) {
  browser_->SetFrame(Rect(10, 10, 390, 290));  // inside the screen at both scales
  Frame();
  const std::vector<Rect> at_one = test::LayoutOf(browser_);
  SetUiScale(2.0f);
  Frame();
  EXPECT_EQ(test::LayoutOf(browser_), at_one);
  ListWindow* tree = browser_->TagTree();
  ListRow* row = TagRow("bbbb");
  ASSERT_TRUE(row);
  tree->ScrollToRow(row);
  Frame();
  for (size_t i = 0; i < tree->ShownCount(); ++i)
    if (tree->ShownRow(i) == row) {
      Rect r = tree->RowRect(i);
      test::QueueScaledClick(r.x0 + 40, (r.y0 + r.y1) / 2, 2.0f);
    }
  Frame();
  EXPECT_TRUE(row->IsSelected());
  EXPECT_EQ(tree->SelectedCount(), 1u);
  test::SaveScreenshot("archive-browser-scale2");
}

TEST_F(BrowserWindow, DemoGameScreenshot) {
  CloseArchiveBrowser();
  Frame();
  test::TempDir demo_dir;
  ASSERT_TRUE(demo::MakeDemoGame().Write(demo_dir.Path()));
  TheCodex().LoadCodex(demo_dir.Path());
  ThePrefs().Clear();
  browser_ = ShowArchiveBrowser();
  browser_->SetFrame(Rect(10, 10, 790, 590));
  Control('T');
  Frame();
  EXPECT_GT(browser_->Model().ItemCount(), 10u);
  test::SaveScreenshot("archive-browser-demo");
  CloseArchiveBrowser();
  Frame();
  TheCodex().ShutdownCodex();
}

}  // namespace
}  // namespace brae
