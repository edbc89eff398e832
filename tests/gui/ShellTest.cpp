// The application shell as a user meets it: the root menu's items and commands, the "Window"
// menu, the About window, the add-on dialog and its messages, the log viewer and the window spy.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "GuiHarness.h"
#include "TempDir.h"
#include "app/AddonCommands.h"
#include "app/LogViewer.h"
#include "app/PathQuestions.h"
#include "app/RootMenu.h"
#include "app/Splash.h"
#include "app/WindowSpy.h"
#include "core/MessageLog.h"
#include "core/Prefs.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "toolkit/Font.h"
#include "toolkit/ListWindow.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"
#include "toolkit/TextBox.h"

namespace brae {
namespace {

namespace fs = std::filesystem;

// A window that may refuse to close.
class TestWindow : public Window {
 public:
  TestWindow(const char* title, bool refuse = false)
      : Window(kWindowVisible | kWindowEnabled | kWindowTitleBar | kWindowCloseBox, Ui().layer0),
        refuse_(refuse) {
    SetTitle(title);
    SetFrame(Rect(40, 40, 240, 200));
  }
  int RequestClose(int reason) override {
    last_reason = reason;
    return refuse_ ? 0 : 1;
  }
  int last_reason = -1;

 private:
  bool refuse_;
};

MessageBoxWindow* OpenMessageBox() {
  const ModalEntry* top = TopModal();
  return top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
}

class ShellTest : public test::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    TheAppServices() = AppServices{};
    ThePrefs().Clear();
  }
  void TearDown() override {
    TheAppServices() = AppServices{};
    GuiTest::TearDown();
  }

  // Answers each message box that opens with the button, remembering its title and text.
  void AnswerMessageBoxes(int button) {
    on_pump = [this, button](int) {
      MessageBoxWindow* box = OpenMessageBox();
      if (!box) return;
      titles.push_back(box->Title() ? box->Title() : "");
      texts.push_back(box->MessageBox() ? box->MessageBox()->Text() : "");
      box->Choose(std::min(button, box->ButtonCount() - 1));
    };
  }

  std::vector<std::string> titles, texts;
};

// ---- the fixed items ------------------------------------------------------------------------

TEST(RootMenuTable, ItemsAndIdsInMenuOrder) {
  const auto& items = RootMenuItems();
  ASSERT_EQ(items.size(), 21u);
  EXPECT_STREQ(items[0].label, "Add Archives");
  EXPECT_EQ(items[0].id, 10001);
  EXPECT_STREQ(items[2].label, "New Detail Texture From Image File");
  EXPECT_EQ(items[2].id, 13000);
  EXPECT_EQ(items[3].id, 13001);
  EXPECT_EQ(items[4].id, 10003);
  EXPECT_EQ(items[5].id, 10004);
  EXPECT_EQ(items[6].id, -1);
  EXPECT_STREQ(items[7].label, "Exit");
  EXPECT_EQ(items[7].id, 10000);
  EXPECT_STREQ(items[11].label, "Archive Browser");
  EXPECT_EQ(items[11].id, 10200);
  EXPECT_EQ(items[13].id, -1);
  EXPECT_STREQ(items[16].label, "Recursive Image Conversion");
  EXPECT_EQ(items[16].id, 10208);
  EXPECT_STREQ(items[19].menu, "Debug");
  EXPECT_EQ(items[19].id, 11000);
  EXPECT_STREQ(items[20].label, "About Brae...");
  EXPECT_EQ(items[20].id, 12000);
  const auto& menus = TopMenus();
  ASSERT_EQ(menus.size(), 5u);
  EXPECT_STREQ(menus[2].label, "Window");
  EXPECT_EQ(menus[2].id, 10300);
  EXPECT_EQ(menus[0].id, 0);
  EXPECT_FALSE(RunRootCommand(10207));  // no such command
}

// ---- the "Window" menu ----------------------------------------------------------------------

TEST_F(ShellTest, WindowMenuListsVisibleWindowsFrontToBack) {
  RootMenu menu;
  auto* a = new TestWindow("A");
  auto* b = new TestWindow("B");
  auto* hidden = new TestWindow("Hidden");
  hidden->SetVisible(false);
  auto* c = new TestWindow("C");
  Frame();
  menu.OnMenuOpening(kCmdWindowMenu);
  ASSERT_EQ(menu.WindowList().size(), 3u);
  EXPECT_EQ(menu.WindowList()[0], c);
  EXPECT_EQ(menu.WindowList()[1], b);
  EXPECT_EQ(menu.WindowList()[2], a);
  menu.OnMenuCommand(kCmdFirstWindow + 2);  // brings "A" to the front
  EXPECT_EQ(Ui().layer0->first_child, a);
  menu.OnMenuOpening(0);  // other menus leave the list alone
  EXPECT_EQ(menu.WindowList().size(), 3u);
}

TEST_F(ShellTest, CloseAllWindowsStopsAtTheFirstRefusal) {
  RootMenu menu;
  auto* a = new TestWindow("A");
  auto* refusing = new TestWindow("Refusing", true);
  auto* c = new TestWindow("C");
  (void)a;
  Frame();
  menu.OnMenuOpening(kCmdWindowMenu);  // C, Refusing, A
  menu.OnMenuCommand(kCmdCloseAllWindows);
  EXPECT_EQ(refusing->last_reason, 1);
  std::vector<Window*> left = VisibleLayerWindows();
  ASSERT_EQ(left.size(), 2u);  // C closed; the refusal kept itself and A
  EXPECT_EQ(left[0], refusing);
  EXPECT_TRUE(std::find(left.begin(), left.end(), c) == left.end());
}

TEST_F(ShellTest, ScreenResizeIsRemembered) {
  RootMenu menu;
  Event e;
  e.type = EventType::ScreenResized;
  e.words[0] = 1280;
  e.words[1] = 1000;
  menu.HandleEvent(&menu, EventType::ScreenResized, &e);
  int x = 0, y = 0;
  EXPECT_TRUE(GetPrefInt("OsWindowSizeX", &x));
  EXPECT_TRUE(GetPrefInt("OsWindowSizeY", &y));
  EXPECT_EQ(x, 1280);
  EXPECT_EQ(y, 1000);
  EXPECT_STREQ(menu.Title(), "BraeRootMenu");
}

// ---- commands -------------------------------------------------------------------------------

TEST_F(ShellTest, CommandsOfLaterPartsSayTheyAreNotAvailable) {
  AnswerMessageBoxes(0);
  for (int id : {kCmdBuildStandardCollection, kCmdBuildHighResCollection, kCmdNewModelFromLwo,
                 kCmdNewDtexFromImage, kCmdNewDtexFromClipboard})
    EXPECT_TRUE(RunRootCommand(id));
  ASSERT_EQ(titles.size(), 5u);
  for (size_t i = 0; i < titles.size(); ++i) {
    EXPECT_EQ(titles[i], kNotAvailableTitle);
    EXPECT_EQ(texts[i], kNotAvailableText);
  }
  int called = 0;
  TheAppServices().build_standard_collection = [&] { ++called; };
  RunRootCommand(kCmdBuildStandardCollection);
  EXPECT_EQ(called, 1);
  EXPECT_EQ(titles.size(), 5u);
}

TEST_F(ShellTest, ExitQueuesTheQuitQuestion) {
  int asked = 0;
  Ui().quit_hook = [&] {
    ++asked;
    return 0;  // refused: the program goes on
  };
  RunRootCommand(kCmdExit);
  Frame();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(Ui().running);
}

TEST_F(ShellTest, ChooseVornFolderIsRefusedWhileATagIsOpen) {
  test::TempDir dir;
  ASSERT_TRUE(demo::MakeDemoGame().Write(dir.Path() + "/game"));
  Codex& codex = TheCodex();
  codex.LoadCodex(dir.Path() + "/game");
  std::vector<TagRecord*> local;
  codex.ListLocalTags(&local);
  ASSERT_FALSE(local.empty());
  int dialogs = 0;
  TheAppServices().choose_folder = [&](const char* title, std::string* folder) {
    ++dialogs;
    EXPECT_STREQ(title, "Select your Vorn II folder");
    EXPECT_EQ(*folder, dir.Path() + "/game/");
    *folder = dir.Path() + "/game";
    return true;
  };
  SetPrefString("VornPath", dir.Path() + "/game/");
  AnswerMessageBoxes(0);
  int user = 0;
  codex.AddTagUser(local[0], kUserEditor, &user);
  RunRootCommand(kCmdChooseVornFolder);
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0], "Error");
  EXPECT_EQ(texts[0], "Please close all open tags first.");
  EXPECT_EQ(dialogs, 0);
  codex.RemoveTagUser(local[0], kUserEditor, &user);

  int browser_opened = 0;
  TheAppServices().open_archive_browser = [&] { ++browser_opened; };
  RunRootCommand(kCmdChooseVornFolder);
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(titles.size(), 1u);
  EXPECT_EQ(browser_opened, 1);
  std::string stored;
  GetPrefString("VornPath", &stored);
  EXPECT_EQ(stored, dir.Path() + "/game/");
  EXPECT_EQ(codex.GameFolder(), dir.Path() + "/game/");
  codex.ShutdownCodex();
}

TEST_F(ShellTest, NewScriptAsksForAName) {
  std::vector<std::pair<uint32_t, std::string>> created;
  TheAppServices().create_and_open = [&](uint32_t group, const std::string& name) {
    created.push_back({group, name});
  };
  std::string typed;
  on_pump = [&](int) {
    MessageBoxWindow* box = OpenMessageBox();
    if (!box) return;
    titles.push_back(box->Title());
    if (box->InputField()) {
      EXPECT_EQ(box->ButtonCount(), 2);
      EXPECT_STREQ(box->ButtonAt(0)->Title(), "Create Script");
      box->InputField()->SetText(typed.c_str());
    } else {
      texts.push_back(box->MessageBox() ? box->MessageBox()->Text() : "");
    }
    box->Choose(0);
  };
  RunRootCommand(kCmdNewScript);  // an empty name
  ASSERT_EQ(titles.size(), 2u);
  EXPECT_EQ(titles[0], "Enter Name for Script");
  EXPECT_EQ(titles[1], "Not Created");
  EXPECT_EQ(texts[0], "You must specify a name.");
  EXPECT_TRUE(created.empty());
  typed = "Intro";
  RunRootCommand(kCmdNewScript);
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].first, FourCC("scri"));
  EXPECT_EQ(created[0].second, "Intro");
}

TEST_F(ShellTest, RecursiveImageConversionAsksFolderFormatAndMode) {
  InstallPathQuestions();
  test::TempDir dir;
  fs::create_directories(dir.Path() + "/pictures/sub");
  fs::copy_file(std::string(BRAE_BUILD_DIR) + "/bin/res/brae.bmp",
                dir.Path() + "/pictures/sub/splash.bmp");
  on_pump = [&](int) {
    MessageBoxWindow* box = OpenMessageBox();
    if (!box) return;
    titles.push_back(box->Title() ? box->Title() : "");
    if (box->InputField()) {
      box->InputField()->SetText((dir.Path() + "/pictures").c_str());
      box->Choose(0);
    } else if (titles.back() == "Target Format:") {
      box->Choose(1);  // PNG
    } else if (titles.back() == "Mode:") {
      EXPECT_STREQ(box->ButtonAt(1)->Title(), "Alpha Only");
      box->Choose(0);  // Full
    } else {
      texts.push_back(box->MessageBox() ? box->MessageBox()->Text() : "");
      box->Choose(0);
    }
  };
  RunRootCommand(kCmdImageConversion);
  ASSERT_EQ(titles.size(), 4u);
  EXPECT_EQ(titles[0], "Choose a folder");
  EXPECT_EQ(titles[3], "Operation complete");
  EXPECT_EQ(texts[0], "1 files processed");
  EXPECT_TRUE(fs::exists(dir.Path() + "/pictures/sub/splash.png"));
}

TEST_F(ShellTest, AddArchivesTakesTheTypedPaths) {
  InstallPathQuestions();
  test::TempDir dir;
  demo::DemoGame game = demo::MakeDemoGame();
  ASSERT_TRUE(game.Write(dir.Path() + "/game"));
  Codex& codex = TheCodex();
  codex.LoadCodex(dir.Path() + "/game");
  size_t before = codex.ArchiveCount();
  // An archive from a second copy of the game, outside the game folder.
  ASSERT_TRUE(game.Write(dir.Path() + "/other"));
  const demo::DemoArchive& first = game.Archives().front();
  std::string path = dir.Path() + "/other/" + first.folder + "/" + first.file_name;
  fs::rename(path, dir.Path() + "/extra.arc");
  on_pump = [&](int) {
    MessageBoxWindow* box = OpenMessageBox();
    if (!box) return;
    titles.push_back(box->Title() ? box->Title() : "");
    if (box->InputField()) box->InputField()->SetText((dir.Path() + "/extra.arc").c_str());
    box->Choose(0);
  };
  RunRootCommand(kCmdAddArchives);
  ASSERT_GE(titles.size(), 1u);
  EXPECT_EQ(titles[0], "Select Archives");
  EXPECT_EQ(codex.ArchiveCount(), before + 1);
  codex.ShutdownCodex();
}

TEST_F(ShellTest, ReloadPluginsFolderKeepsTheWorkingSet) {
  test::TempDir dir;
  ASSERT_TRUE(demo::MakeDemoGame().Write(dir.Path() + "/game"));
  Codex& codex = TheCodex();
  codex.LoadCodex(dir.Path() + "/game");
  ASSERT_GE(codex.ArchiveCount(), 2u);
  std::vector<ArchiveRecord*> set = {codex.ArchiveAt(codex.ArchiveCount() - 1)};
  std::string kept = set[0]->path;
  codex.SetActiveArchives(set);
  int browser_opened = 0;
  TheAppServices().open_archive_browser = [&] { ++browser_opened; };
  RunRootCommand(kCmdReloadPluginsFolder);
  EXPECT_EQ(browser_opened, 1);
  std::vector<ArchiveRecord*> active = codex.ActiveArchives();
  ASSERT_EQ(active.size(), 1u);
  EXPECT_EQ(active[0]->path, kept);
  codex.ShutdownCodex();
}

// ---- About ----------------------------------------------------------------------------------

TEST_F(ShellTest, AboutShowsPictureAndCreditsUntilClicked) {
  fs::path old = fs::current_path();
  fs::current_path(std::string(BRAE_BUILD_DIR) + "/bin");
  int frames = 0;
  std::string title;
  int width = 0, picture = 0, frame_width = 0;
  bool fits = false;
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    auto* about = top ? dynamic_cast<BraeSplashScreen*>(top->window) : nullptr;
    if (!about) return;
    if (++frames == 3) {
      title = about->Title() ? about->Title() : "";
      width = about->ClientRect().Width();
      picture = about->PictureWidth();
      Point wanted;
      about->ClientSizeToFrame(&wanted, picture + kAboutTextWidth, 0);
      fits = wanted.x <= Ui().screen_width;
      frame_width = about->Frame().Width();
      test::SaveScreenshot("shell-about");
      now += 60;  // well inside the two minutes: still held
    }
    if (frames == 6) {
      EXPECT_FALSE(about->IsFading());
      Rect r = about->ClientRect();
      test::QueueClick((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2);
    }
  };
  RunRootCommand(kCmdAbout);
  fs::current_path(old);
  EXPECT_GE(frames, 6);
  EXPECT_LT(frames, 50);
  EXPECT_EQ(title, "About Brae");
  // The picture and the credits side by side, shrunk to a narrower screen.
  if (fits)
    EXPECT_EQ(width, picture + kAboutTextWidth);
  else
    EXPECT_EQ(frame_width, Ui().screen_width);
}

TEST_F(ShellTest, SplashFadesOutWithTheSmoothCurve) {
  fs::path old = fs::current_path();
  fs::current_path(std::string(BRAE_BUILD_DIR) + "/bin");
  double fade_started = -1;
  std::vector<double> opacity;
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    auto* splash = top ? dynamic_cast<BraeSplashScreen*>(top->window) : nullptr;
    if (!splash) return;
    if (splash->IsFading() && fade_started < 0) fade_started = now;
    if (fade_started >= 0) {
      opacity.push_back(splash->Opacity(fade_started + 0.5));
      QueueKeyEvent(kKeyEscape, 1);  // keys are ignored meanwhile
      QueueKeyEvent(kKeyEscape, 0);
    }
    now += 0.25;
  };
  double start = now;
  RunSplash();
  fs::current_path(old);
  EXPECT_NEAR(fade_started - start, 1.5, 0.26);
  ASSERT_FALSE(opacity.empty());
  EXPECT_NEAR(opacity[0], 0.5, 1e-9);  // t = 0.5: 1 - (3 - 1) * 0.25
  EXPECT_NEAR(now - fade_started, 1.0, 0.51);
}

// ---- add-ons --------------------------------------------------------------------------------

class AddonTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    if (!platform::MainWindow()) return;
    ASSERT_TRUE(demo::MakeDemoGame().Write(dir.Path() + "/game"));
    TheCodex().LoadCodex(dir.Path() + "/game");
  }
  void TearDown() override {
    TheCodex().ShutdownCodex();
    ShellTest::TearDown();
  }
  // Fills the add-on dialog when it opens and presses OK, then answers message boxes.
  void FillDialog(const std::string& name, const std::string& url, const std::string& priority) {
    on_pump = [=](int) {
      const ModalEntry* top = TopModal();
      if (!top) return;
      if (auto* popup = dynamic_cast<AddonPopup*>(top->window)) {
        if (!popup->IsVisible()) return;
        // The first frames draw it; then it is filled in.
        if (++dialog_frames < 3) return;
        dialog_frames = 0;
        dialog_seen = true;
        EXPECT_TRUE(popup->PriorityBox()->HasFocus());
        EXPECT_EQ(popup->PriorityBox()->Text(), "100");
        EXPECT_EQ(popup->NameBox()->Text(), "<addon name>");
        EXPECT_EQ(popup->HelpBox()->Text(), kAddonHelpText);
        // The whole help shows: its last line ends at the bottom of the box, unscrolled.
        const Rect help = popup->HelpBox()->ClientRect();
        EXPECT_EQ(popup->HelpBox()->IndexAtPoint(help.x1 - 2, help.y1 - 3),
                  int(std::strlen(kAddonHelpText)));
        EXPECT_EQ(popup->HelpBox()->ScrollY(), 0);
        if (!screenshot_taken) {
          test::SaveScreenshot("shell-addon-popup");
          screenshot_taken = true;
        }
        popup->NameBox()->SetText(name.c_str());
        popup->UrlBox()->SetText(url.c_str());
        popup->PriorityBox()->SetText(priority.c_str());
        QueueKeyEvent(kKeyEnter, 1);
        QueueKeyEvent(kKeyEnter, 0);
        return;
      }
      if (MessageBoxWindow* box = OpenMessageBox()) {
        titles.push_back(box->Title() ? box->Title() : "");
        texts.push_back(box->MessageBox() ? box->MessageBox()->Text() : "");
        box->Choose(0);
      }
    };
  }
  test::TempDir dir;
  bool dialog_seen = false, screenshot_taken = false;
  int dialog_frames = 0;
};

TEST_F(AddonTest, InvalidFieldsAreNamedInOneMessage) {
  FillDialog("", "", "1");
  EXPECT_FALSE(BuildRegularAddonCommand());
  EXPECT_TRUE(dialog_seen);
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0], "Error");
  EXPECT_EQ(texts[0], "The following fields are invalid:  name url version");
  titles.clear();
  texts.clear();
  FillDialog("x.vrn", "http://example.org", "32768");
  EXPECT_FALSE(BuildRegularAddonCommand());
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "The following fields are invalid:  version");
  EXPECT_FALSE(fs::exists(dir.Path() + "/game/plugins/x.vrn"));
}

TEST_F(AddonTest, RegularAndDtexAddonsAreWrittenToThePluginsFolder) {
  FillDialog("Regular Addon", "http://example.org", "32767");
  EXPECT_TRUE(RunRootCommand(kCmdBuildRegularAddon));
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0], "Success");
  EXPECT_EQ(texts[0], "The addon has been written to the plugins folder as 'Regular Addon'");
  EXPECT_TRUE(fs::exists(dir.Path() + "/game/plugins/Regular Addon"));
  titles.clear();
  texts.clear();
  FillDialog("Dtex Addon", "http://example.org", "2");
  EXPECT_TRUE(RunRootCommand(kCmdBuildDtexAddon));
  ASSERT_EQ(titles.size(), 1u) << (texts.empty() ? "" : texts[0]);
  EXPECT_EQ(titles[0], "Success");
  EXPECT_TRUE(fs::exists(dir.Path() + "/game/plugins/Dtex Addon"));
}

TEST_F(AddonTest, CancelWritesNothing) {
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    if (top && dynamic_cast<AddonPopup*>(top->window) && top->window->IsVisible())
      QueueKeyEvent(kKeyEscape, 1), QueueKeyEvent(kKeyEscape, 0);
  };
  EXPECT_FALSE(BuildRegularAddonCommand());
  size_t files = 0;
  for (auto& entry : fs::directory_iterator(dir.Path() + "/game/plugins")) {
    (void)entry;
    ++files;
  }
  demo::DemoGame game = demo::MakeDemoGame();
  size_t plugins = 0;
  for (const auto& archive : game.Archives()) plugins += archive.folder == "plugins";
  EXPECT_EQ(files, plugins);
}

// ---- window spy -----------------------------------------------------------------------------

TEST_F(ShellTest, WindowSpyRowsFollowTheTree) {
  auto* named = new TestWindow("Named");
  auto* child = new Window(kWindowVisible, named);
  Frame();
  std::vector<WindowSpyRow> rows = CollectWindowTree(Ui().root);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].window, Ui().root);
  EXPECT_EQ(rows[0].depth, 0);
  int named_row = -1, child_row = -1;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].window == named) named_row = static_cast<int>(i);
    if (rows[i].window == child) child_row = static_cast<int>(i);
  }
  ASSERT_GE(named_row, 0);
  ASSERT_EQ(child_row, named_row + 1);
  EXPECT_EQ(rows[named_row].text, "Named");
  EXPECT_TRUE(rows[named_row].has_children);
  EXPECT_FALSE(rows[named_row].expanded);
  EXPECT_TRUE(rows[rows[named_row].parent].expanded);  // layer 0, a top-level window
  EXPECT_EQ(rows[child_row].text, "(unnamed)");
  EXPECT_EQ(rows[child_row].class_name, "Window");
  EXPECT_EQ(rows[child_row].parent, named_row);
  EXPECT_FALSE(rows[child_row].has_children);
}

TEST_F(ShellTest, WindowSpyListsTheTreeAndRefreshesWithF5) {
  auto* named = new TestWindow("Named");
  named->SetFrame(Rect(600, 300, 780, 400));
  RunRootCommand(kCmdWindowSpy);
  Frame();
  WindowView* spy = nullptr;
  for (Window* w : VisibleLayerWindows())
    if (std::string(w->ClassName()) == "WindowView") spy = static_cast<WindowView*>(w);
  ASSERT_TRUE(spy);
  EXPECT_STREQ(spy->Title(), "Window Spy");
  ASSERT_EQ(spy->List()->ColumnCount(), 3);
  EXPECT_EQ(spy->List()->Column(0).title, "Text");
  EXPECT_EQ(spy->List()->Column(2).width, 96);
  size_t before = spy->List()->RowCount();
  EXPECT_GT(before, 3u);
  test::SaveScreenshot("shell-window-spy");
  RunRootCommand(kCmdWindowSpy);  // the same spy comes to the front
  int spies = 0;
  for (Window* w : VisibleLayerWindows()) spies += std::string(w->ClassName()) == "WindowView";
  EXPECT_EQ(spies, 1);
  new TestWindow("Another");
  spy->BringToFront();
  spy->List()->SetFocus();
  Frame();
  EXPECT_EQ(spy->List()->RowCount(), before);
  Tap(kKeyF5);
  EXPECT_EQ(spy->List()->RowCount(), before + 1);
  spy->Close();
  ProcessDeferredDeletions();
  EXPECT_NE(ThePrefs().FormatText().find("WindowSpyPlacement"), std::string::npos);
}

// ---- log viewer -----------------------------------------------------------------------------

TEST_F(ShellTest, LogViewerPagesShowOnLevelOneAndSurviveClosing) {
  TheMessageLog().Clear();
  AttachLogViewer();
  Log(0, "Quiet", "recorded only\n");
  MessageLogWindow* viewer = TheLogViewer();
  ASSERT_TRUE(viewer);
  EXPECT_FALSE(viewer->IsVisible());
  ASSERT_TRUE(viewer->PageText("Quiet"));
  EXPECT_EQ(viewer->PageText("Quiet")->Text(), "recorded only\n");
  Log(1, "Codex", "first %d\n", 1);
  Log(0, "Quiet", "more\n");
  EXPECT_TRUE(viewer->IsVisible());
  EXPECT_EQ(viewer->SelectedCategory(), "Codex");
  Log(2, "Quiet", "now shown\n");
  EXPECT_EQ(viewer->SelectedCategory(), "Quiet");
  EXPECT_EQ(viewer->PageText("Quiet")->Text(), "recorded only\nmore\nnow shown\n");
  EXPECT_EQ(viewer->Categories()->RowCount(), 2u);
  Frame();
  test::SaveScreenshot("shell-log-viewer");
  // The close box only hides it.
  EXPECT_EQ(viewer->RequestClose(1), 0);
  EXPECT_FALSE(viewer->IsVisible());
  Log(1, "Codex", "again\n");
  EXPECT_EQ(TheLogViewer(), viewer);
  EXPECT_EQ(viewer->SelectedCategory(), "Codex");
  EXPECT_TRUE(viewer->IsVisible());
  EXPECT_EQ(viewer->PageText("Codex")->Text(), "first 1\nagain\n");
  // Choosing a row shows its page.
  viewer->Categories()->Select(viewer->Categories()->Roots()[0], false);  // "Quiet"
  EXPECT_EQ(viewer->SelectedCategory(), "Quiet");
  TheMessageLog().SetListener(nullptr);
}

TEST_F(ShellTest, ALongLogCategoryIsShownWholeOrScrolls) {
  TheMessageLog().Clear();
  AttachLogViewer();
  const std::string category = "BuildCollection 12 (Heavy Cavalry With Banners)";
  Log(1, category.c_str(), "scanning\n");
  MessageLogWindow* viewer = TheLogViewer();
  ASSERT_TRUE(viewer);
  Frame();
  test::SaveScreenshot("shell-log-viewer-long-category");
  ListWindow* list = viewer->Categories();
  ListRow* row = list->Roots().back();
  ASSERT_EQ(row->text, category);
  // The label's text ends inside its column, and the column inside the pane unless the pane
  // scrolls sideways.
  const int text_end = 2 + 12 + 2 + MeasureText(list->GetFont(), category.c_str(), 0);
  EXPECT_LE(text_end, list->Column(0).width);
  EXPECT_TRUE(list->Column(0).width <= list->ClientRect().Width() || list->HasHBar());
  TheMessageLog().SetListener(nullptr);
}

// ---- the menu bar ---------------------------------------------------------------------------

TEST_F(ShellTest, MenuBarHoldsTheItemsAndRunsTheChosenCommand) {
  RootMenu* root = CreateRootMenu();
  ASSERT_TRUE(root->MenuBar());
  Menu* bar = root->MenuBar();
  EXPECT_EQ(Ui().menu_bar, bar);
  ASSERT_EQ(bar->Items().size(), 5u);
  EXPECT_STREQ(bar->Items()[1]->Title(), "Tools");
  EXPECT_EQ(bar->Items()[2]->Command(), kCmdWindowMenu);
  ASSERT_EQ(bar->Items()[0]->Items().size(), 8u);
  EXPECT_TRUE(bar->Items()[0]->Items()[6]->IsSeparator());
  EXPECT_STREQ(bar->Items()[4]->Items()[0]->Title(), "About Brae...");
  new TestWindow("Editor");
  Frame();
  root->OnMenuOpening(kCmdWindowMenu);
  const auto& window_items = bar->Items()[2]->Items();
  ASSERT_EQ(window_items.size(), 2u);
  EXPECT_STREQ(window_items[0]->Title(), "Close All Windows");
  EXPECT_STREQ(window_items[1]->Title(), "Editor");
  EXPECT_EQ(window_items[1]->Command(), kCmdFirstWindow);
  Frame();
  // A real click on "Window" opens it, rebuilt with the windows of the moment.
  new TestWindow("Second Editor");
  int menu_frames = 0;
  on_pump = [&](int) {
    const ModalEntry* top = TopModal();
    if (!top || !dynamic_cast<Menu*>(top->window)) return;
    if (++menu_frames == 3) test::SaveScreenshot("shell-window-menu");
    if (menu_frames == 4) QueueKeyEvent(kKeyEscape, 1), QueueKeyEvent(kKeyEscape, 0);
  };
  Rect window_title = bar->ItemRect(2);
  Click((window_title.x0 + window_title.x1) / 2, (window_title.y0 + window_title.y1) / 2);
  EXPECT_GE(menu_frames, 3);
  ASSERT_EQ(bar->Items()[2]->Items().size(), 3u);
  EXPECT_STREQ(bar->Items()[2]->Items()[1]->Title(), "Second Editor");
  on_pump = nullptr;
  AnswerMessageBoxes(0);
  bar->item_chosen.Emit(bar->Items()[3]->Items()[0]);  // "Window Spy"
  bool spy = false;
  for (Window* w : VisibleLayerWindows()) spy |= std::string(w->ClassName()) == "WindowView";
  EXPECT_TRUE(spy);
  DestroyRootMenu();
  EXPECT_EQ(TheRootMenu(), nullptr);
}

}  // namespace
}  // namespace brae
