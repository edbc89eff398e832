// Start-up, the pump, the quit confirmation and shutdown.
//
// Index
//   preferences read at start-up ...... StorePreferenceDefaults, InitialWindowSize, TakeSplashTurn
//   back buffer ....................... ProbeSwapBufferCount, PreserveBackBuffer
//   pump and hooks .................... PumpOnce, OnOsRefresh, ConfirmQuit
//   the program ....................... RunBrae (start-up steps in order, then shutdown)

#include "app/Startup.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/LogViewer.h"
#include "app/PathQuestions.h"
#include "app/RecoveryDialog.h"
#include "app/RootMenu.h"
#include "app/Splash.h"
#include "core/MessageLog.h"
#include "core/Prefs.h"
#include "core/ProgramPaths.h"
#include "editing/ExternalEdits.h"
#include "editing/SnapshotKeeper.h"
#include "platform/Platform.h"
#include "references/ReferenceLines.h"
#include "tagstore/Codex.h"
#include "toolkit/CharMap.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/ImageClipboard.h"
#include "toolkit/Input.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Skin.h"
#include "toolkit/UiScale.h"

namespace brae {

const char* const kMissingResMessage =
    "The 'res' folder could not be found (improper installation?); quitting.";

namespace {

int g_swap_buffer_count = 1;
GlEntryPoints g_gl;
bool g_non_power_of_two = false;
bool g_anisotropic = false;
BraeOptions g_options;
std::string g_game_folder_override;

}  // namespace

StartupHooks& TheStartupHooks() {
  static StartupHooks hooks;
  return hooks;
}

// ---------------------------------------------------------------------------------------------
// Preferences read at start-up
// ---------------------------------------------------------------------------------------------

void StorePreferenceDefaults() {
  SetPrefString("VornPath", ".");
  SetPrefInt("ShowSplash", 1);
  // Current systems get no vertical sync by default; the preference turns it on.
  SetPrefInt("UseVSync", 0);
  SetPrefInt("UseFullscreen", 0);
  SetPrefString("UiScale", "0");
  SetPrefString(kExternalImageEditorKey, kDefaultExternalImageEditor);
}

void ApplyUiScalePreference() {
  std::string value = "0";
  GetPrefString("UiScale", &value);
  SetUiScale(UiScaleFromPreference(value, platform::ContentScale()));
}

void ChooseUiScale(float scale) {
  SetPrefString("UiScale", UiScalePreferenceText(scale));
  ApplyUiScalePreference();
}

void InitialWindowSize(int* width, int* height) {
  int w = 0, h = 0;
  if (!GetPrefInt("OsWindowSizeX", &w) || !GetPrefInt("OsWindowSizeY", &h)) {
    *width = 1024;
    *height = 768;
    return;
  }
  *width = std::clamp(w, 640, 16384);
  *height = std::clamp(h, 480, 16384);
}

bool TakeSplashTurn() {
  int show = 1;
  GetPrefInt("ShowSplash", &show);
  if (show < 1) return false;
  if (show == 1) SetPrefInt("ShowSplash", 0);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Back buffer
// ---------------------------------------------------------------------------------------------

int ProbeSwapBufferCount() {
  glDrawBuffer(GL_BACK);
  glReadBuffer(GL_BACK);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_SCISSOR_TEST);
  glViewport(0, 0, 1, 1);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 1, 0, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // An opaque colour from the clock; never black, the cleared background.
  unsigned now =
      static_cast<unsigned>(std::time(nullptr)) ^ static_cast<unsigned>(platform::Now() * 1e6);
  GLubyte colour[3] = {static_cast<GLubyte>(64 + (now & 127)),
                       static_cast<GLubyte>(64 + ((now >> 7) & 127)),
                       static_cast<GLubyte>(64 + ((now >> 14) & 127))};
  GLubyte reference[4] = {}, after[4] = {};
  int count = 3;
  for (int n = 1; n <= 3; ++n) {
    glColor4ub(colour[0], colour[1], colour[2], 255);
    glRectf(0, 0, 1, 1);
    if (n == 1) glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, reference);
    platform::SwapBuffers();
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, after);
    if (after[0] == reference[0] && after[1] == reference[1] && after[2] == reference[2]) {
      count = n;
      break;
    }
  }
  int w = 0, h = 0;
  platform::FramebufferSize(&w, &h);
  glViewport(0, 0, w, h);
  return count;
}

int SwapBufferCount() {
  return g_swap_buffer_count;
}

void SetSwapBufferCount(int count) {
  g_swap_buffer_count = count;
}

void PreserveBackBuffer() {
  if (g_swap_buffer_count < 2) return;
  int w = 0, h = 0;
  platform::FramebufferSize(&w, &h);
  glDisable(GL_SCISSOR_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glViewport(0, 0, w, h);
  glRasterPos2f(-1, -1);
  glReadBuffer(GL_FRONT);
  glDrawBuffer(GL_BACK);
  glCopyPixels(0, 0, w, h, GL_COLOR);
  glReadBuffer(GL_BACK);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glEnable(GL_SCISSOR_TEST);
}

bool HasNonPowerOfTwoTextures() {
  return g_non_power_of_two;
}
bool HasAnisotropicFiltering() {
  return g_anisotropic;
}

// ---------------------------------------------------------------------------------------------
// Pump and hooks
// ---------------------------------------------------------------------------------------------

namespace {

// The longest the loop waits for input. Changes in the local folder wake the wait through the
// folder watch's notification; without notification the folder is looked at this often.
constexpr double kLongestIdleWait = 1.0;
constexpr double kLongestIdleWaitUnwatched = 0.09;

// After a frame that drew nothing: waits for input, for a change in the local folder or for the
// next frame a window asked for, whichever comes first. Nothing waits while work is pending.
void WaitForWork() {
  int notify = TheCodex().Watch().NotifyDescriptor();
  double wait = TimeUntilNextFrame(notify >= 0 ? kLongestIdleWait : kLongestIdleWaitUnwatched);
  if (TheCodex().IsDirty()) wait = 0;
  // A save in the external image editor wakes the loop as well.
  if (wait > 0) platform::WaitEvents(wait, {notify, TheExternalEdits().NotifyDescriptor()});
}

}  // namespace

int PumpOnce() {
  platform::PollEvents();
  TheCodex().PollLocalFolder(false);
  int drawn = UiFrame();
  TheSnapshotKeeper().Tick(platform::Now());
  if (drawn) {
    platform::SwapBuffers();
    PreserveBackBuffer();
  }
  if (g_options.after_pump) g_options.after_pump();
  if (!drawn) WaitForWork();
  return 1;
}

void OnOsRefresh() {
  RequestRedraw();
  if (Ui().suspended) {
    DrawPending();
    platform::SwapBuffers();
    PreserveBackBuffer();
  }
}

int ConfirmQuit() {
  if (ShowMessageBox("Really Quit Brae?", nullptr, {"Quit", "Don't Quit"}) != 0) return 0;
  return CloseAllWindows();
}

// ---------------------------------------------------------------------------------------------
// The program
// ---------------------------------------------------------------------------------------------
namespace {

void OnKey(int code, int pressed) {
  QueueKeyEvent(code, pressed);
}
void OnChar(unsigned codepoint) {
  QueueCharEvent(codepoint);
}
void OnButton(int button, int pressed) {
  QueueMouseButton(button, pressed);
}
void OnCursor(double x, double y) {
  QueueMousePosition(x, y);
}
void OnWheel(double dx, double dy) {
  QueueWheel(dx, dy);
}
void OnClose() {
  QueueCloseRequest();
}
void OnContentScale(float) {
  // The window moved to a monitor of another scale: an automatic scale follows it.
  ApplyUiScalePreference();
}
void OnSize(int width, int height) {
  SetPrefInt("OsWindowSizeX", width);
  SetPrefInt("OsWindowSizeY", height);
  HandleScreenResize(width, height);
}

void RunHook(const std::function<void()>& hook) {
  if (hook) hook();
}

// The program's files: beside the executable (or the folder the caller gave), else installed.
void FindProgramFiles(const BraeOptions& options) {
  const std::string folder = options.folder.empty() ? ExecutableFolder() : options.folder + "/";
  SetProgramPaths(FindProgramPaths(folder, PathEnvironment::FromProcess()));
  ThePrefs().SetPath(TheProgramPaths().prefs_file);
}

}  // namespace

std::string GameFolderInForce() {
  if (!g_game_folder_override.empty()) return g_game_folder_override;
  std::string folder = ".";
  GetPrefString("VornPath", &folder);
  return folder;
}

void SetGameFolderInForce(const std::string& folder) {
  // A folder chosen during the run replaces the one of the command line too.
  g_game_folder_override.clear();
  SetPrefString("VornPath", folder);
}

int RunBrae(const BraeOptions& options) {
  g_options = options;
  g_game_folder_override = options.game_folder;
  // Step 2: the program's own files are found from its folder; the current folder stays where
  // the user started the program, so the paths they type keep their meaning.
  FindProgramFiles(options);

  AttachLogViewer();

  // Steps 3 and 4: preferences.
  StorePreferenceDefaults();
  LoadPrefs();
  int vsync = 1, fullscreen = 0, width = 0, height = 0;
  GetPrefInt("UseVSync", &vsync);
  GetPrefInt("UseFullscreen", &fullscreen);
  InitialWindowSize(&width, &height);

  // Steps 5 to 7: the window.
  if (!glfwInit()) return 0;
  platform::WindowOptions window_options;
  window_options.width = width;
  window_options.height = height;
  window_options.fullscreen = fullscreen != 0;
  window_options.vsync = vsync != 0;
  window_options.visible = options.show_window;
  window_options.title = "Brae";
  if (!platform::OpenMainWindow(window_options)) {
    glfwTerminate();
    return 0;
  }
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  platform::SwapBuffers();
  g_gl.multi_tex_coord_2f =
      reinterpret_cast<void (*)(unsigned, float, float)>(glfwGetProcAddress("glMultiTexCoord2f"));
  g_gl.active_texture = reinterpret_cast<void (*)(unsigned)>(glfwGetProcAddress("glActiveTexture"));
  g_gl.add_swap_hint_rect = reinterpret_cast<void*>(glfwGetProcAddress("glAddSwapHintRectWIN"));
  g_non_power_of_two = glfwExtensionSupported("GL_ARB_texture_non_power_of_two");
  g_anisotropic = glfwExtensionSupported("GL_EXT_texture_filter_anisotropic");
  platform::SetProgramIcon();

  // Step 8: a work area no larger than the window maximises it.
  int wx, wy, ww, wh;
  if (!fullscreen && platform::WorkArea(&wx, &wy, &ww, &wh) && (ww <= width || wh <= height))
    platform::Maximise();

  // Steps 9 and 10: the back-buffer probe and the GL state.
  g_swap_buffer_count = ProbeSwapBufferCount();
  Log(0, "Brae", "Swap buffer count: %d\n", g_swap_buffer_count);
  glEnable(GL_DEPTH_TEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  // Steps 11 to 13: font, character map, skin.
  Font* font = LoadFont(ResourceFile("plume.braefont"));
  if (!font) {
    // The toolkit cannot draw without its font: the message goes to standard error.
    std::fprintf(stderr, "Error: %s (looked in %s)\n", kMissingResMessage,
                 TheProgramPaths().resources.c_str());
    std::fflush(stderr);
    std::exit(0);
  }
  LoadCharMap(TheProgramPaths().charmap_file);
  SetDefaultFont(font);
  Skin* skin = LoadSkin(ResourceFile("texturepack"));
  if (!skin) std::exit(-1);
  Ui().skin = skin;
  ApplyUiScalePreference();

  // Steps 14 and 15: the toolkit and its window tree.
  UiState& ui = Ui();
  ui.partial_redraw = true;
  ui.frame_function = PumpOnce;
  ui.quit_hook = ConfirmQuit;
  InitUi(true);
  SendSnapshotsToClipboard();
  int fb_width = 0, fb_height = 0;
  platform::FramebufferSize(&fb_width, &fb_height);
  HandleScreenResize(fb_width, fb_height);
  platform::InputCallbacks callbacks;
  callbacks.key = OnKey;
  callbacks.character = OnChar;
  callbacks.button = OnButton;
  callbacks.cursor = OnCursor;
  callbacks.wheel = OnWheel;
  callbacks.close = OnClose;
  callbacks.refresh = OnOsRefresh;
  callbacks.size = OnSize;
  callbacks.content_scale = OnContentScale;
  platform::InstallCallbacks(callbacks);

  // Step 16: the root menu. Step 17: structure definitions and editor factories.
  CreateRootMenu();
  InstallPathQuestions();
  RunHook(TheStartupHooks().create_root_menu);
  RunHook(TheStartupHooks().load_definitions);
  RunHook(TheStartupHooks().register_editors);

  // Step 18: the tag index, then the archive browser (opened twice: the second call only
  // brings it to the front with the focus).
  TheCodex().LoadCodex(GameFolderInForce());
  // The reference index follows the Codex ahead of every window that asks it.
  TheReferenceIndex();
  RunHook(TheStartupHooks().open_archive_browser);
  RunHook(TheStartupHooks().open_archive_browser);
  StartSnapshots();

  // Steps 19 to 21: accept input, the splash, the offer of what a dead session left unsaved,
  // the main loop.
  SuspendUi(false);
  if (TakeSplashTurn()) RunSplash();
  // A first start (or a game folder that moved): ask where the game is.
  AskForGameFolderIfMissing();
  OfferRecovery(GameFolderInForce());
  RunMainLoop();

  // Shutdown.
  DestroyRootMenu();
  ShutdownUi();
  TheSnapshotKeeper().End();
  SetDefaultFont(nullptr);
  FreeFont(font);
  Ui().skin = nullptr;
  delete skin;
  TheCodex().ShutdownCodex();
  TheExternalEdits().Shutdown();
  platform::CloseMainWindow();
  glfwTerminate();
  // The user's folder for them may not exist yet (a first start of an installed program).
  MakeParentFolders(ThePrefs().Path());
  if (!SavePrefs()) {
    std::fprintf(stderr, "Brae: the preferences could not be written to '%s'.\n",
                 ThePrefs().Path().c_str());
  }
  return 0;
}

}  // namespace brae
