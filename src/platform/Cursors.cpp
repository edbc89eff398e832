// Cursor shapes. GLFW 3.3 has the arrow, the two straight sizing shapes, the text beam and the
// cross; the diagonal sizing shapes, "not allowed" and the program's own cursors are drawn here.

#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/Platform.h"

namespace brae::platform {
namespace {

constexpr int kShapeCount = 14;
constexpr int kSize = 16;

struct Canvas {
  std::vector<unsigned char> pixels = std::vector<unsigned char>(kSize * kSize * 4, 0);
  void Set(int x, int y, bool white) {
    if (x < 0 || y < 0 || x >= kSize || y >= kSize) return;
    unsigned char* p = &pixels[(y * kSize + x) * 4];
    p[0] = p[1] = p[2] = white ? 255 : 0;
    p[3] = 255;
  }
  // A line two pixels wide: black with a white rim.
  void Line(int x0, int y0, int x1, int y1) {
    int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int pass = 0; pass < 2; ++pass)
      for (int i = 0; i <= steps; ++i) {
        int x = x0 + (steps ? (x1 - x0) * i / steps : 0);
        int y = y0 + (steps ? (y1 - y0) * i / steps : 0);
        if (pass == 0) {
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) Set(x + dx, y + dy, true);
        } else {
          Set(x, y, false);
        }
      }
  }
};

Canvas DiagonalArrow(bool falling) {
  Canvas c;
  if (falling) {  // north-west to south-east
    c.Line(2, 2, 13, 13);
    c.Line(2, 2, 6, 2), c.Line(2, 2, 2, 6), c.Line(13, 13, 9, 13), c.Line(13, 13, 13, 9);
  } else {
    c.Line(13, 2, 2, 13);
    c.Line(13, 2, 9, 2), c.Line(13, 2, 13, 6), c.Line(2, 13, 6, 13), c.Line(2, 13, 2, 9);
  }
  return c;
}

Canvas NotAllowed() {
  Canvas c;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      double d = std::hypot(x - 7.5, y - 7.5);
      if (d >= 4.5 && d <= 7.5) c.Set(x, y, d > 5.2 && d < 6.8 ? false : true);
    }
  c.Line(4, 4, 11, 11);
  return c;
}

// The program's own cursors: 101 drag (arrow with a box), 102 a hand, 106 a pen, 107 a bucket.
Canvas ProgramCursor(int resource) {
  Canvas c;
  switch (resource) {
    case 101:
      c.Line(0, 0, 0, 10), c.Line(0, 0, 7, 7), c.Line(0, 10, 3, 7), c.Line(3, 7, 7, 7);
      c.Line(8, 10, 14, 10), c.Line(8, 10, 8, 14), c.Line(14, 10, 14, 14), c.Line(8, 14, 14, 14);
      break;
    case 102:
      c.Line(5, 1, 5, 9), c.Line(8, 4, 8, 9), c.Line(11, 5, 11, 9), c.Line(3, 8, 5, 12);
      c.Line(5, 12, 12, 12), c.Line(12, 12, 13, 7);
      break;
    case 106:
      c.Line(1, 14, 12, 3), c.Line(12, 3, 14, 5), c.Line(14, 5, 3, 14), c.Line(1, 14, 3, 14);
      break;
    default:
      c.Line(3, 6, 9, 1), c.Line(9, 1, 14, 6), c.Line(14, 6, 8, 12), c.Line(8, 12, 3, 6);
      c.Line(2, 8, 2, 13);
      break;
  }
  return c;
}

GLFWcursor* MakeCursor(const Canvas& canvas, int hot_x, int hot_y) {
  GLFWimage image{kSize, kSize, const_cast<unsigned char*>(canvas.pixels.data())};
  return glfwCreateCursor(&image, hot_x, hot_y);
}

GLFWcursor* CreateShape(int shape) {
  switch (shape) {
    case 1:
      return glfwCreateStandardCursor(GLFW_HRESIZE_CURSOR);
    case 2:
      return glfwCreateStandardCursor(GLFW_VRESIZE_CURSOR);
    case 3:
      return MakeCursor(DiagonalArrow(true), 8, 8);
    case 4:
      return MakeCursor(DiagonalArrow(false), 8, 8);
    case 5:
      return glfwCreateStandardCursor(GLFW_IBEAM_CURSOR);
    case 6:
      return glfwCreateStandardCursor(GLFW_CROSSHAIR_CURSOR);
    case 7:
    case 10:
      return MakeCursor(ProgramCursor(101), 0, 0);
    case 8:
    case 9:
      return MakeCursor(NotAllowed(), 8, 8);
    case 11:
      return MakeCursor(ProgramCursor(102), 5, 1);
    case 12:
      return MakeCursor(ProgramCursor(106), 1, 14);
    case 13:
      return MakeCursor(ProgramCursor(107), 2, 13);
    default:
      return nullptr;  // the arrow: the window's default cursor
  }
}

int g_shape = 0;
GLFWcursor* g_cursors[kShapeCount] = {};
bool g_created[kShapeCount] = {};

}  // namespace

void SetCursorShape(int shape) {
  if (shape < 0 || shape >= kShapeCount) shape = 0;
  if (shape == g_shape) return;
  g_shape = shape;
  GLFWwindow* window = MainWindow();
  if (!window) return;
  if (!g_created[shape]) {
    g_cursors[shape] = CreateShape(shape);
    g_created[shape] = true;
  }
  glfwSetCursor(window, g_cursors[shape]);
}

int CurrentCursorShape() {
  return g_shape;
}

void ReleaseCursors() {
  for (int i = 0; i < kShapeCount; ++i) {
    if (g_cursors[i]) glfwDestroyCursor(g_cursors[i]);
    g_cursors[i] = nullptr;
    g_created[i] = false;
  }
  g_shape = 0;
}

}  // namespace brae::platform
