#include "platform/Platform.h"

#include "core/ProgramPaths.h"

#include "platform/Clipboard.h"

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace brae::platform {
namespace {

GLFWwindow* g_window = nullptr;
InputCallbacks g_callbacks;
int g_beeps = 0;

void OnKey(GLFWwindow*, int key, int, int action, int) {
  if (!g_callbacks.key) return;
  int code = TranslateGlfwKey(key);
  if (code < 0) return;
  // A repeat arrives as another press; the toolkit recognises it as auto-repeat.
  g_callbacks.key(code, action != GLFW_RELEASE ? 1 : 0);
}
void OnChar(GLFWwindow*, unsigned codepoint) {
  if (g_callbacks.character) g_callbacks.character(codepoint);
}
void OnButton(GLFWwindow*, int button, int action, int) {
  if (button > 2 || !g_callbacks.button) return;  // the button filter
  g_callbacks.button(button, action == GLFW_PRESS ? 1 : 0);
}
void OnCursor(GLFWwindow*, double x, double y) {
  if (g_callbacks.cursor) g_callbacks.cursor(x, y);
}
void OnScroll(GLFWwindow*, double dx, double dy) {
  if (g_callbacks.wheel) g_callbacks.wheel(dx, dy);
}
void OnClose(GLFWwindow* window) {
  // The toolkit decides about quitting; GLFW never closes the window by itself.
  glfwSetWindowShouldClose(window, GLFW_FALSE);
  if (g_callbacks.close) g_callbacks.close();
}
void OnSize(GLFWwindow*, int width, int height) {
  if (g_callbacks.size && width >= 1 && height >= 1) g_callbacks.size(width, height);
}
void OnRefresh(GLFWwindow*) {
  if (g_callbacks.refresh) g_callbacks.refresh();
}
void OnContentScale(GLFWwindow*, float x, float) {
  if (g_callbacks.content_scale) g_callbacks.content_scale(x);
}

}  // namespace

GLFWwindow* OpenMainWindow(const WindowOptions& o) {
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_CLIENT_API, GLFW_OPENGL_API);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 2);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 1);
  glfwWindowHint(GLFW_DEPTH_BITS, 24);
  glfwWindowHint(GLFW_STENCIL_BITS, 0);
  glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
  glfwWindowHint(GLFW_VISIBLE, o.visible ? GLFW_TRUE : GLFW_FALSE);
  GLFWmonitor* monitor = o.fullscreen ? glfwGetPrimaryMonitor() : nullptr;
  GLFWwindow* window = glfwCreateWindow(o.width, o.height, o.title, monitor, nullptr);
  if (!window) {
    // Depth bits are a wish, not a requirement.
    glfwWindowHint(GLFW_DEPTH_BITS, 16);
    window = glfwCreateWindow(o.width, o.height, o.title, monitor, nullptr);
  }
  if (!window) return nullptr;
  g_window = window;
  glfwMakeContextCurrent(window);
  glfwSwapInterval(o.vsync ? 1 : 0);
  glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
  return window;
}

void CloseMainWindow() {
  ReleaseCursors();
  if (g_window) glfwDestroyWindow(g_window);
  g_window = nullptr;
}

GLFWwindow* MainWindow() {
  return g_window;
}

void FramebufferSize(int* width, int* height) {
  *width = *height = 0;
  if (g_window) glfwGetFramebufferSize(g_window, width, height);
}

float ContentScale() {
  float x = 1.0f, y = 1.0f;
  if (g_window) glfwGetWindowContentScale(g_window, &x, &y);
  return x > 0 ? x : 1.0f;
}

double Now() {
  if (g_window) return glfwGetTime();
  static const auto start = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Sleep(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void PollEvents() {
  if (g_window) glfwPollEvents();
  ServeClipboard();
}

void WaitEvents(double timeout_seconds, const std::vector<int>& extra_descriptors) {
  Display* display = g_window ? glfwGetX11Display() : nullptr;
  if (timeout_seconds > 0 && !g_window) Sleep(timeout_seconds);
  if (timeout_seconds > 0 && g_window && !display) {  // not on X11: GLFW's own wait
    glfwWaitEventsTimeout(timeout_seconds);
    ServeClipboard();
    return;
  }
  // Events that an earlier call has already read from a connection would not wake poll().
  bool queued =
      (display && XEventsQueued(display, QueuedAfterFlush) > 0) || ClipboardHasQueuedEvents();
  if (timeout_seconds > 0 && display && !queued) {
    std::vector<pollfd> fds;
    for (int fd : {ConnectionNumber(display), ClipboardConnectionDescriptor()})
      if (fd >= 0) fds.push_back(pollfd{fd, POLLIN, 0});
    for (int fd : extra_descriptors)
      if (fd >= 0) fds.push_back(pollfd{fd, POLLIN, 0});
    poll(fds.data(), fds.size(), static_cast<int>(std::ceil(timeout_seconds * 1000.0)));
  }
  PollEvents();
}

void SwapBuffers() {
  if (g_window) glfwSwapBuffers(g_window);
}

bool WorkArea(int* x, int* y, int* width, int* height) {
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  if (!monitor) return false;
  glfwGetMonitorWorkarea(monitor, x, y, width, height);
  return *width > 0 && *height > 0;
}

void Maximise() {
  if (g_window) glfwMaximizeWindow(g_window);
}

void SetProgramIcon() {
  if (!g_window) return;
  // A little tag: a dark blue card with a light corner fold.
  const int size = 32;
  std::vector<unsigned char> pixels(size * size * 4, 0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      unsigned char* p = &pixels[(y * size + x) * 4];
      bool inside = x >= 4 && x < 28 && y >= 2 && y < 30 && !(x >= 20 && y < 10 && x - 20 > y - 2);
      if (!inside) continue;
      bool fold = x >= 20 && y < 10;
      bool edge = x == 4 || x == 27 || y == 2 || y == 29;
      p[0] = fold ? 220 : edge ? 20 : 40;
      p[1] = fold ? 220 : edge ? 50 : 90;
      p[2] = fold ? 230 : edge ? 90 : 160;
      p[3] = 255;
      if (!fold && y >= 12 && y <= 24 && (y % 4 == 0) && x >= 8 && x < 24) p[0] = p[1] = p[2] = 235;
    }
  GLFWimage image{size, size, pixels.data()};
  glfwSetWindowIcon(g_window, 1, &image);
}

void WarpCursor(double x, double y) {
  if (g_window) glfwSetCursorPos(g_window, x, y);
}

void ShowCursor(bool show) {
  if (g_window)
    glfwSetInputMode(g_window, GLFW_CURSOR, show ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}

void Beep() {
  ++g_beeps;
  if (!g_window) return;
  Display* display = glfwGetX11Display();
  if (display) {
    XBell(display, 0);
    XFlush(display);
  }
}

int BeepCount() {
  return g_beeps;
}

void InstallCallbacks(const InputCallbacks& callbacks) {
  g_callbacks = callbacks;
  if (!g_window) return;
  glfwSetWindowRefreshCallback(g_window, OnRefresh);
  glfwSetWindowCloseCallback(g_window, OnClose);
  glfwSetCharCallback(g_window, OnChar);
  glfwSetKeyCallback(g_window, OnKey);
  glfwSetCursorPosCallback(g_window, OnCursor);
  glfwSetScrollCallback(g_window, OnScroll);
  glfwSetMouseButtonCallback(g_window, OnButton);
  glfwSetWindowContentScaleCallback(g_window, OnContentScale);
  glfwSetFramebufferSizeCallback(g_window, OnSize);
  // GLFW 3 does not call the size callback on installation: report the real size once.
  int width = 0, height = 0;
  glfwGetFramebufferSize(g_window, &width, &height);
  OnSize(g_window, width, height);
}

std::string ProgramFolder() {
  return ExecutableFolder();
}

bool ChangeToProgramFolder() {
  std::string folder = ProgramFolder();
  return !folder.empty() && chdir(folder.c_str()) == 0;
}

}  // namespace brae::platform
