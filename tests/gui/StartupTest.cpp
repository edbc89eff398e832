// The program from start-up to shutdown in a real window, as a user meets it: the splash, the
// quit question, the preferences written at the end.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "GuiHarness.h"
#include "ProgramFolder.h"
#include "TempDir.h"
#include "app/LogViewer.h"
#include "app/RootMenu.h"
#include "app/Startup.h"
#include "core/MessageLog.h"
#include "core/Prefs.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"
#include "toolkit/Menu.h"
#include "toolkit/MessageBox.h"

namespace brae {
namespace {

namespace fs = std::filesystem;
using test::ProgramFolder;

TEST(StartupPrefs, WindowSizeFallsBackAndClamps) {
  Prefs& prefs = ThePrefs();
  prefs.Clear();
  int w = 0, h = 0;
  InitialWindowSize(&w, &h);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 768);
  prefs.SetInt("OsWindowSizeX", 900);  // Y missing: both fall back
  InitialWindowSize(&w, &h);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 768);
  prefs.SetInt("OsWindowSizeX", 100);
  prefs.SetInt("OsWindowSizeY", 20000);
  InitialWindowSize(&w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 16384);
  prefs.Clear();
}

TEST(StartupPrefs, SplashPolicy) {
  Prefs& prefs = ThePrefs();
  prefs.Clear();
  StorePreferenceDefaults();
  std::string path;
  EXPECT_TRUE(prefs.GetString("VornPath", &path));
  EXPECT_EQ(path, ".");
  EXPECT_TRUE(TakeSplashTurn());  // default 1: shown once
  int value = -1;
  prefs.GetInt("ShowSplash", &value);
  EXPECT_EQ(value, 0);
  EXPECT_FALSE(TakeSplashTurn());
  prefs.SetInt("ShowSplash", 2);  // every start
  EXPECT_TRUE(TakeSplashTurn());
  EXPECT_TRUE(TakeSplashTurn());
  prefs.GetInt("ShowSplash", &value);
  EXPECT_EQ(value, 2);
  prefs.Clear();
}

bool HasDisplay() {
  return std::getenv("DISPLAY") != nullptr;
}

void ClickButton(MessageBoxWindow* box, int index) {
  Rect r = box->ButtonAt(index)->Frame();
  QueueMousePosition((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2);
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
}

MessageBoxWindow* OpenMessageBox() {
  const ModalEntry* top = TopModal();
  return top ? dynamic_cast<MessageBoxWindow*>(top->window) : nullptr;
}

TEST(Program, SplashThenQuitWhileItShowsThenReallyQuit) {
  if (!HasDisplay()) GTEST_SKIP() << "no display";
  ProgramFolder folder("ShowSplash 1\nOsWindowSizeX 900\nOsWindowSizeY 640\n");
  int pump = 0, splash_seen = 0, declined = 0, quit_clicked = 0;
  bool codex_loaded = false;
  BraeOptions options;
  options.folder = folder.dir.Path();
  options.after_pump = [&] {
    ++pump;
    const ModalEntry* top = TopModal();
    if (top && top->window && std::string(top->window->ClassName()) == "BraeSplashScreen") {
      if (++splash_seen == 5) {
        codex_loaded = !TheCodex().GameFolder().empty();
        test::SaveScreenshot("startup-splash");
        QueueCloseRequest();  // closing the OS window ends the splash first
      }
      return;
    }
    if (MessageBoxWindow* box = OpenMessageBox()) {
      if (!declined) {
        test::SaveScreenshot("startup-really-quit");
        EXPECT_STREQ(box->Title(), "Really Quit Brae?");
        ClickButton(box, 1);  // "Don't Quit"
        declined = pump;
      } else if (!quit_clicked && pump > declined + 5) {
        ClickButton(box, 0);  // "Quit"
        quit_clicked = pump;
      }
      return;
    }
    if (declined && !quit_clicked && pump == declined + 10) QueueCloseRequest();
    if (pump > 5000) std::exit(3);  // never hang the test run
  };
  EXPECT_EQ(RunBrae(options), 0);
  EXPECT_GE(splash_seen, 5);
  EXPECT_TRUE(codex_loaded);
  EXPECT_GT(declined, 0);
  EXPECT_GT(quit_clicked, 0);
  std::string prefs = folder.Prefs();
  EXPECT_NE(prefs.find("ShowSplash 0\n"), std::string::npos) << prefs;
  EXPECT_NE(prefs.find("OsWindowSizeX "), std::string::npos) << prefs;
  EXPECT_NE(prefs.find("VornPath \"" + folder.game + "/\"\n"), std::string::npos) << prefs;
}

TEST(Program, NoSplashAndAnIdleProgramDoesNotSpin) {
  if (!HasDisplay()) GTEST_SKIP() << "no display";
  ProgramFolder folder("ShowSplash 0\n");
  int pump = 0;
  double start = 0, idle_seconds = 0;
  int idle_frames = 0;
  std::clock_t cpu_start = 0, cpu_end = 0;
  BraeOptions options;
  options.folder = folder.dir.Path();
  options.after_pump = [&] {
    ++pump;
    EXPECT_EQ(TopModal(), nullptr);
    if (pump == 20) {
      test::SaveScreenshot("startup-desktop");
      start = glfwGetTime();
      cpu_start = std::clock();
    }
    if (pump > 20 && idle_seconds == 0) {
      ++idle_frames;
      if (glfwGetTime() - start >= 1.0) {
        idle_seconds = glfwGetTime() - start;
        cpu_end = std::clock();
        Ui().quit_hook = nullptr;  // quit without asking
        QueueCloseRequest();
      }
    }
  };
  EXPECT_EQ(RunBrae(options), 0);
  // Idle frames sleep 1 ms each: about a thousand a second, not a busy loop.
  EXPECT_LT(idle_frames, 1500);
  double cpu = double(cpu_end - cpu_start) / CLOCKS_PER_SEC;
  std::printf("idle: %d frames in %.2f s, %.1f%% of one core\n", idle_frames, idle_seconds,
              100.0 * cpu / idle_seconds);
  EXPECT_LT(cpu / idle_seconds, 0.25);  // generous here; the benchmark holds the real target
  EXPECT_EQ(folder.Prefs().find("ShowSplash 1"), std::string::npos);
}

TEST(Program, RootMenuAboutLogViewerAndExit) {
  if (!HasDisplay()) GTEST_SKIP() << "no display";
  ProgramFolder folder("ShowSplash 0\n");
  int pump = 0, about_frames = 0, quit_asked = 0;
  bool had_menu = false, viewer_shown = false;
  BraeOptions options;
  options.folder = folder.dir.Path();
  options.after_pump = [&] {
    ++pump;
    const ModalEntry* top = TopModal();
    if (top && top->window && std::string(top->window->ClassName()) == "BraeSplashScreen") {
      if (++about_frames == 5) {
        test::SaveScreenshot("program-about");
        Rect r = top->window->ClientRect();
        QueueMousePosition((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2);
        QueueMouseButton(0, 1);
        QueueMouseButton(0, 0);
      }
      return;
    }
    if (MessageBoxWindow* box = OpenMessageBox()) {
      EXPECT_STREQ(box->Title(), "Really Quit Brae?");
      ++quit_asked;
      ClickButton(box, 0);  // "Quit"
      return;
    }
    if (pump == 5) {
      had_menu =
          TheRootMenu() && TheRootMenu()->MenuBar() && Ui().menu_bar == TheRootMenu()->MenuBar();
      Log(1, "Codex", "A message that shows the log viewer\n");
      viewer_shown = TheLogViewer() && TheLogViewer()->IsVisible();
    }
    if (pump == 10) test::SaveScreenshot("program-menu-and-log");
    if (pump == 11) RunRootCommand(kCmdAbout);
    if (about_frames >= 5 && !quit_asked && pump % 10 == 0) RunRootCommand(kCmdExit);
    if (pump > 5000) std::exit(3);  // never hang the test run
  };
  EXPECT_EQ(RunBrae(options), 0);
  EXPECT_TRUE(had_menu);
  EXPECT_TRUE(viewer_shown);
  EXPECT_GE(about_frames, 5);
  EXPECT_EQ(quit_asked, 1);
  EXPECT_EQ(TheRootMenu(), nullptr);
  EXPECT_EQ(TheLogViewer(), nullptr);
}

TEST(Program, MissingResFolderIsReportedOnStandardError) {
  if (!HasDisplay()) GTEST_SKIP() << "no display";
  test::TempDir dir;
  std::string program = dir.Path() + "/brae";
  fs::copy_file(std::string(BRAE_BUILD_DIR) + "/bin/brae", program);
  fs::permissions(program, fs::perms::owner_all);
  std::string command = "'" + program + "' 2>&1";
  FILE* out = popen(command.c_str(), "r");
  ASSERT_TRUE(out);
  std::string text;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, out)) text += buffer;
  int status = pclose(out);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(text.find("The 'res' folder could not be found (improper installation?); quitting."),
            std::string::npos)
      << text;
}

}  // namespace
}  // namespace brae

namespace brae {
namespace {

using QuitQuestion = test::GuiTest;

class Closable : public Window {
 public:
  Closable(int allow, int* asked, bool* deleted)
      : Window(kWindowVisible | kWindowTitleBar | kWindowCloseBox),
        allow(allow),
        asked(asked),
        deleted(deleted) {}
  ~Closable() override { *deleted = true; }
  int RequestClose(int reason) override {
    EXPECT_EQ(reason, 0);
    ++*asked;
    return allow;
  }
  int allow;
  int* asked;
  bool* deleted;
};

void AnswerQuit(test::GuiTest* test, int pump, int button) {
  if (pump != 3) return;
  auto* box = dynamic_cast<MessageBoxWindow*>(TopModal()->window);
  ASSERT_TRUE(box);
  ClickButton(box, button);
  (void)test;
}

TEST_F(QuitQuestion, FirstRefusalStopsTheQuit) {
  int asked = 0;
  bool back_deleted = false, refusing_deleted = false, front_deleted = false;
  auto* back = new Closable(1, &asked, &back_deleted);
  auto* refusing = new Closable(0, &asked, &refusing_deleted);
  auto* front = new Closable(1, &asked, &front_deleted);
  (void)back;
  (void)refusing;
  (void)front;
  on_pump = [this](int n) { AnswerQuit(this, n, 0); };
  EXPECT_EQ(ConfirmQuit(), 0);
  Frame();
  EXPECT_EQ(asked, 2);  // front to back, stopping at the refusal
  EXPECT_TRUE(front_deleted);
  EXPECT_FALSE(refusing_deleted);
  EXPECT_FALSE(back_deleted);
}

TEST_F(QuitQuestion, DontQuitAsksNoWindowAndQuitClosesAll) {
  int asked = 0;
  bool a_deleted = false, b_deleted = false;
  new Closable(1, &asked, &a_deleted);
  new Closable(1, &asked, &b_deleted);
  on_pump = [this](int n) { AnswerQuit(this, n, 1); };
  EXPECT_EQ(ConfirmQuit(), 0);
  EXPECT_EQ(asked, 0);
  pumps = 0;
  on_pump = [this](int n) { AnswerQuit(this, n, 0); };
  EXPECT_EQ(ConfirmQuit(), 1);
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(a_deleted);
  EXPECT_TRUE(b_deleted);
}

}  // namespace
}  // namespace brae

namespace brae {
namespace {

// The whole path of real input: X11 key presses through GLFW, the key translator, the global
// Alt+F4, the quit question answered with Enter, and the preferences written at shutdown.
}  // namespace
}  // namespace brae

namespace brae {
namespace {

using BackBuffer = test::GuiTest;

// Partial redraws need the back buffer to hold the picture on screen after every swap: the
// probe finds how the swap treats it, and the copy-back keeps it when it would be lost.
TEST_F(BackBuffer, PartialRedrawAfterSwapsKeepsThePicture) {
  int count = ProbeSwapBufferCount();
  EXPECT_GE(count, 1);
  EXPECT_LE(count, 3);
  std::printf("swap buffer count: %d\n", count);
  HandleScreenResize(Ui().screen_width, Ui().screen_height);  // the probe drew into the corner
  struct Solid : Window {
    Solid() : Window(kWindowVisible) {}
    void DrawContent() override {
      SetColor(colour);
      FillRect(Rect(0, 0, client.Width(), client.Height()));
    }
    uint32_t colour = 0xFF0000FFu;
  };
  auto* w = new Solid();
  w->SetFrame(Rect(100, 100, 300, 300));
  Frame();
  for (int i = 0; i < 3; ++i) {
    platform::SwapBuffers();
    PreserveBackBuffer();
  }
  w->colour = 0xFF00FF00u;
  Invalidate(w, Rect(100, 100, 150, 150), false);
  Frame();
  EXPECT_EQ(At(120, 120).g, 255);
  EXPECT_EQ(At(250, 250).r, 255);  // outside the dirty rectangle: the picture survived
  // The copy-back of the front buffer, as with two or three buffers, keeps it as well.
  SetSwapBufferCount(2);
  platform::SwapBuffers();
  PreserveBackBuffer();
  SetSwapBufferCount(count);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(At(120, 120).g, 255);
  EXPECT_EQ(At(250, 250).r, 255);
}

}  // namespace
}  // namespace brae
