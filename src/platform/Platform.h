#pragma once
// The thin layer over GLFW 3 and the operating system: the one OpenGL window, its input
// callbacks, time, cursors, the beep and the program folder.
//
// Every function is safe to call before a window exists (tests, tools): then it does nothing
// but remember what was asked, so that tests can check cursors and beeps.

#include <string>
#include <vector>

struct GLFWwindow;

namespace brae::platform {

struct WindowOptions {
  int width = 1024;
  int height = 768;
  bool fullscreen = false;
  bool vsync = true;
  bool visible = true;
  const char* title = "Brae";
};

// glfwInit must have succeeded. Opens the window with a compatibility OpenGL context, makes it
// current and remembers it as the main window; null on failure.
GLFWwindow* OpenMainWindow(const WindowOptions& options);
void CloseMainWindow();
GLFWwindow* MainWindow();
void FramebufferSize(int* width, int* height);
// The window's content scale as the system reports it (1 without a window).
float ContentScale();

// Seconds since GLFW started (a steady clock when GLFW is not running).
double Now();
void Sleep(double seconds);
// Waits until input arrives, a request for our clipboard comes in, one of the extra descriptors
// (-1: none) becomes readable or the timeout passes; then handles what arrived like PollEvents.
// Without a window it only sleeps.
void WaitEvents(double timeout_seconds, const std::vector<int>& extra_descriptors = {});
void PollEvents();
void SwapBuffers();

// Desktop work area of the monitor that holds the window; false when unknown.
bool WorkArea(int* x, int* y, int* width, int* height);
void Maximise();
// The program icon, drawn here.
void SetProgramIcon();

// Cursor shapes 0..13 as the toolkit numbers them.
void SetCursorShape(int shape);
int CurrentCursorShape();
// Frees the cursors made so far (before the window closes).
void ReleaseCursors();
void WarpCursor(double x, double y);
void ShowCursor(bool show);

// The system beep: the X11 bell. Counted so that tests can see it.
void Beep();
int BeepCount();

// Input as GLFW reports it, after key translation and the button filter.
struct InputCallbacks {
  void (*key)(int code, int pressed) = nullptr;  // toolkit key code, before left/right merging
  void (*character)(unsigned codepoint) = nullptr;
  void (*button)(int button, int pressed) = nullptr;
  void (*cursor)(double x, double y) = nullptr;
  void (*wheel)(double dx, double dy) = nullptr;
  void (*close)() = nullptr;
  void (*size)(int width, int height) = nullptr;
  void (*refresh)() = nullptr;
  // The window moved to a monitor of another content scale (dots per logical inch / 96).
  void (*content_scale)(float scale) = nullptr;
};
// Installs every callback, the size callback last.
void InstallCallbacks(const InputCallbacks& callbacks);

// GLFW 3 key code to the toolkit's numbering; -1 for keys the toolkit has no code for.
int TranslateGlfwKey(int glfw_key);

// The folder that holds the running program (from /proc/self/exe), with a trailing "/".
std::string ProgramFolder();
// Makes the program's folder the current folder; false when it cannot be found.
bool ChangeToProgramFolder();

}  // namespace brae::platform
