#pragma once
// The windowed test harness: the real toolkit in a real GLFW window (under Xvfb in the test
// run), with the program's own font and skin. Tests queue the events the GLFW callbacks would
// queue, run frames, and read the drawn pixels back from the back buffer. Screenshots of what a
// test saw go to <build>/screenshots/.

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <png.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"
#include "toolkit/UiScale.h"
#include "toolkit/UiState.h"
#include "toolkit/Window.h"

namespace brae::test {

// An editor-like window: title bar with every box, thick border, resizable, focusable.
constexpr uint32_t kDocumentWindow = kWindowTitleBar | kWindowShadow | kWindowThickBorder |
                                     kWindowResizable | kWindowGreyBackground | kWindowCloseBox |
                                     kWindowZoomBox | kWindowCollapseBox | kWindowFocusable;

inline Point Centre(const Rect& r) {
  return Point{(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2};
}

// Queues a left click at a point; the next frame delivers it.
inline void QueueClick(int x, int y) {
  QueueMousePosition(x, y);
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
}

// The frame and client of a window and of every descendant, depth first: its layout.
inline void CollectLayout(const Window* w, std::vector<Rect>* out) {
  out->push_back(w->frame);
  out->push_back(w->client);
  for (const Window* c = w->first_child; c; c = c->next_sibling) CollectLayout(c, out);
}
inline std::vector<Rect> LayoutOf(const Window* w) {
  std::vector<Rect> rects;
  CollectLayout(w, &rects);
  return rects;
}

// A left click at the device pixel in the middle of logical (x, y) at an interface scale.
inline void QueueScaledClick(int x, int y, float scale) {
  QueueMousePosition((x + 0.5) * scale, (y + 0.5) * scale);
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
}

struct Pixel {
  int r = 0, g = 0, b = 0;
  int Brightness() const { return r + g + b; }
};

inline std::string ScreenshotDir() {
  return std::string(BRAE_BUILD_DIR) + "/screenshots";
}

inline bool WritePng(const std::string& path, int width, int height,
                     const std::vector<uint8_t>& rgb_top_down) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, const_cast<png_bytep>(&rgb_top_down[static_cast<size_t>(y) * width * 3]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return true;
}

// Reads the back buffer (what the last frame drew) top row first.
inline std::vector<uint8_t> ReadScreen(int width, int height) {
  std::vector<uint8_t> bottom_up(static_cast<size_t>(width) * height * 3),
      top_down(bottom_up.size());
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glDisable(GL_SCISSOR_TEST);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottom_up.data());
  for (int y = 0; y < height; ++y)
    std::copy_n(&bottom_up[static_cast<size_t>(height - 1 - y) * width * 3], width * 3,
                &top_down[static_cast<size_t>(y) * width * 3]);
  return top_down;
}

inline void SaveScreenshot(const std::string& name) {
  std::filesystem::create_directories(ScreenshotDir());
  UiState& ui = Ui();
  std::vector<uint8_t> rgb = ReadScreen(ui.device_width, ui.device_height);
  std::string path = ScreenshotDir() + "/" + name + ".png";
  EXPECT_TRUE(WritePng(path, ui.device_width, ui.device_height, rgb)) << path;
}

class GuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!std::getenv("DISPLAY")) return;
    // A busy X server (tests run in parallel on one) now and then refuses a first window; a
    // few tries tell that apart from a display that is really missing.
    platform::WindowOptions options;
    options.width = 800;
    options.height = 600;
    options.vsync = false;
    options.title = "Brae tests";
    for (int attempt = 0; attempt < 5 && !platform::MainWindow(); ++attempt) {
      if (attempt) {
        glfwTerminate();
        std::this_thread::sleep_for(std::chrono::milliseconds(200 * attempt));
      }
      if (glfwInit()) platform::OpenMainWindow(options);
    }
    ASSERT_TRUE(platform::MainWindow()) << "no window on the display " << std::getenv("DISPLAY");
    std::string res = std::string(BRAE_BUILD_DIR) + "/bin/res/";
    font_ = LoadFont(res + "plume.braefont");
    skin_ = Skin::Load(res + "texturepack", true);
    ASSERT_TRUE(font_);
    ASSERT_TRUE(skin_);
  }
  static void TearDownTestSuite() {
    FreeFont(font_);
    delete skin_;
    font_ = nullptr;
    skin_ = nullptr;
    platform::CloseMainWindow();
    glfwTerminate();
  }

  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    // With a display, a missing window is a failure, never a quiet skip.
    ASSERT_TRUE(platform::MainWindow()) << "the test window could not be opened";
    UiState& ui = Ui();
    ui.clock = [this] { return now; };
    ui.partial_redraw = true;
    ui.skin = skin_;
    SetDefaultFont(font_);
    ui.frame_function = [this] { return Pump(); };
    InitUi(true);
    int w = 0, h = 0;
    platform::FramebufferSize(&w, &h);
    HandleScreenResize(w, h);
    ui.running = true;
    Frame();
  }
  void TearDown() override {
    if (!platform::MainWindow()) return;
    SetUiScale(1.0f);
    ShutdownUi();
    UiState& ui = Ui();
    ui.clock = nullptr;
    ui.frame_function = nullptr;
    ui.quit_hook = nullptr;
    ui.keys.reset();
    ui.modifiers = 0;
    ui.debug_overlay = ui.debug_rects = false;
  }

  // The test's pump: the scripted step for this frame (if any), then one toolkit frame.
  int Pump() {
    ++pumps;
    if (on_pump) on_pump(pumps);
    if (pumps > 2000) EndModal(-99);  // a stuck modal loop fails the test instead of hanging
    return UiFrame();
  }
  int Frame() { return UiFrame(); }
  void Tap(int code) {
    QueueKeyEvent(code, 1);
    QueueKeyEvent(code, 0);
    Frame();
  }
  void Key(int code, bool pressed) {
    QueueKeyEvent(code, pressed);
    Frame();
  }
  void Click(int x, int y) {
    QueueClick(x, y);
    Frame();
    now += 0.5;
  }
  // The pixel at a device pixel (the same as a logical one at scale 1).
  Pixel At(int x, int y) {
    GLubyte p[3] = {};
    glFinish();
    glReadBuffer(GL_BACK);
    glDisable(GL_SCISSOR_TEST);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, Ui().device_height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return Pixel{p[0], p[1], p[2]};
  }

  double now = 100.0;
  int pumps = 0;
  std::function<void(int)> on_pump;
  static inline Font* font_ = nullptr;
  static inline Skin* skin_ = nullptr;
};

}  // namespace brae::test
