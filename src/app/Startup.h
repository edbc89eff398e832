#pragma once
// The program: start-up in its fixed order, the pump that every loop calls, the quit
// confirmation and shutdown.

#include <functional>
#include <string>

namespace brae {

// Steps that later parts of the program fill in. Each runs at its place in the start-up order
// when set.
struct StartupHooks {
  std::function<void()> create_root_menu;      // after the window tree exists
  std::function<void()> load_definitions;      // structure definitions from "res"
  std::function<void()> register_editors;      // editor factories of the tag groups
  std::function<void()> open_archive_browser;  // after the tag index is loaded
  // Closed before the archives are unloaded by a reload; opening it again restores the working
  // set from the preferences.
  std::function<void()> close_archive_browser;
};
StartupHooks& TheStartupHooks();

struct BraeOptions {
  // The program's folder, where its resources are looked for; empty: the folder of the
  // executable. The current folder is never changed.
  std::string folder;
  // A game folder given on the command line: used for this run instead of "VornPath", which
  // keeps its stored value.
  std::string game_folder;
  bool show_window = true;
  // Called after every pump (tests drive the program from here).
  std::function<void()> after_pump;
};

// Runs the program to its end; returns the process exit code.
int RunBrae(const BraeOptions& options);

// The game folder in force: the one given on the command line, else "VornPath".
std::string GameFolderInForce();
// After the user chose a game folder: it is in force from now on (and stored by the caller).
void SetGameFolderInForce(const std::string& folder);

// The initial window size from "OsWindowSizeX" / "OsWindowSizeY": 1024 x 768 when either is
// missing, else clamped to 640..16384 by 480..16384.
void InitialWindowSize(int* width, int* height);
// The preference defaults stored before the file is read.
void StorePreferenceDefaults();
// The interface scale of "UiScale" (0: the monitor's content scale), applied at once.
void ApplyUiScalePreference();
// The user's choice of scale (0: automatic): stored in "UiScale" and applied.
void ChooseUiScale(float scale);
// Whether the splash shows; a "ShowSplash" of exactly 1 becomes 0.
bool TakeSplashTurn();

int PumpOnce();
int ConfirmQuit();
void OnOsRefresh();

// Back-buffer handling: the probe counts the buffers a swap rotates through (1: the back buffer
// survives a swap); with 2 or more the front buffer is copied back after every swap.
int ProbeSwapBufferCount();
int SwapBufferCount();
void SetSwapBufferCount(int count);  // the probe's result (tests force the copy-back)
void PreserveBackBuffer();

// GL capabilities looked up at start-up: entry points (null when absent) and extensions.
struct GlEntryPoints {
  void (*multi_tex_coord_2f)(unsigned target, float s, float t) = nullptr;  // "glMultiTexCoord2f"
  void (*active_texture)(unsigned texture) = nullptr;                       // "glActiveTexture"
  void* add_swap_hint_rect = nullptr;  // "glAddSwapHintRectWIN" (Windows only; null here)
};
const GlEntryPoints& GlFunctions();
bool HasNonPowerOfTwoTextures();
bool HasAnisotropicFiltering();

extern const char* const kMissingResMessage;

}  // namespace brae
